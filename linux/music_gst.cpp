// The background music through GStreamer's playbin.
#include "linux/music.h"

#include <gst/gst.h>
#include <unistd.h>

#include <cstdio>

namespace {

GstElement* player = nullptr;

// playbin's own flag for "play the audio stream"; without the others no
// window opens for the cover picture some MP3 files carry.
constexpr guint kPlayAudioOnly = 1u << 1;

}  // namespace

bool StartMusic(const char* path)
{
    if (access(path, R_OK) != 0) {
        std::fprintf(stderr, "brinefold: no music: cannot read %s\n", path);
        return false;
    }
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        std::fprintf(stderr, "brinefold: no music: %s\n", error != nullptr ? error->message : "no GStreamer");
        g_clear_error(&error);
        return false;
    }
    gchar* uri = gst_filename_to_uri(path, &error);
    player = uri != nullptr ? gst_element_factory_make("playbin", "music") : nullptr;
    if (player == nullptr) {
        std::fprintf(stderr, "brinefold: no music: %s\n",
                     error != nullptr ? error->message : "GStreamer has no playbin");
        g_clear_error(&error);
        g_free(uri);
        return false;
    }
    g_object_set(player, "uri", uri, "flags", kPlayAudioOnly, nullptr);
    g_free(uri);
    if (gst_element_set_state(player, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        std::fprintf(stderr, "brinefold: no music: %s cannot be played\n", path);
        StopMusic();
        return false;
    }
    return true;
}

void KeepMusicPlaying()
{
    if (player == nullptr)
        return;
    GstBus* bus = gst_element_get_bus(player);
    GstMessage* message;
    bool failed = false;
    while (!failed && (message = gst_bus_pop_filtered(
                           bus, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR))) != nullptr) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS) {
            gst_element_seek_simple(player, GST_FORMAT_TIME,
                                    static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_KEY_UNIT), 0);
        } else {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            std::fprintf(stderr, "brinefold: no music: %s\n", error != nullptr ? error->message : "player error");
            g_clear_error(&error);
            failed = true;
        }
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    if (failed)
        StopMusic();
}

void StopMusic()
{
    if (player == nullptr)
        return;
    gst_element_set_state(player, GST_STATE_NULL);
    gst_object_unref(player);
    player = nullptr;
}
