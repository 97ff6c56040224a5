// The background music through GStreamer: filesrc ! decodebin ! audioconvert
// ! audioresample ! autoaudiosink, built by hand rather than with playbin so
// that nothing but the local file is ever read. Once per user: xscreensaver
// runs a hack on every screen (and one more in its settings' preview), and
// one tune at a time is enough.
#include <fcntl.h>
#include <gst/gst.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "linux/music.h"

namespace {

GstElement* player = nullptr;
GstElement* converter = nullptr;  // where the decoded audio goes in
int musicLock = -1;
std::atomic<bool> refused{false};  // set by decodebin's thread

// Playlists and adaptive streams name what to fetch from the network: a
// ".mp3" holding one would have its demuxer download segments while the
// screen is locked, giving away when the user is away. Never plugged.
bool IsStreamOrPlaylist(const GstCaps* caps)
{
    static const char* const kRefused[] = {
        "application/x-hls",     "application/dash+xml", "application/vnd.ms-sstr+xml", "audio/x-mpegurl",
        "application/x-mpegurl", "audio/x-scpls",        "application/xspf+xml",        "application/x-ms-asx",
        "application/smil",      "text/uri-list",        "application/x-ms-wmp",        "video/x-ms-asf-playlist",
    };
    for (guint k = 0; k < gst_caps_get_size(caps); ++k) {
        const char* name = gst_structure_get_name(gst_caps_get_structure(caps, k));
        for (const char* refusedName : kRefused) {
            if (std::strcmp(name, refusedName) == 0)
                return true;
        }
    }
    return false;
}

// decodebin asks before it looks for an element for a stream of these caps.
gboolean OnAutoplugContinue(GstElement*, GstPad*, GstCaps* caps, gpointer)
{
    if (!IsStreamOrPlaylist(caps))
        return TRUE;
    if (!refused.exchange(true))
        std::fprintf(stderr, "brinefold: no music: the file is a playlist or a network stream, not a tune\n");
    return FALSE;
}

// decodebin's answers to "autoplug-select" (its enum is not in a public header).
constexpr gint kAutoplugTry = 0;
constexpr gint kAutoplugSkip = 2;

// And before it makes one: nothing that fetches from the network, whatever
// caps led to it (an adaptive demuxer, a source).
gint OnAutoplugSelect(GstElement*, GstPad*, GstCaps*, GstElementFactory* factory, gpointer)
{
    const char* kind = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_KLASS);
    if (kind != nullptr && (std::strstr(kind, "Adaptive") != nullptr || std::strstr(kind, "Source") != nullptr)) {
        if (!refused.exchange(true))
            std::fprintf(stderr, "brinefold: no music: the file is a playlist or a network stream, not a tune\n");
        return kAutoplugSkip;
    }
    return kAutoplugTry;
}

// The decoded audio into the converter; anything else (a cover picture) nowhere.
void OnPadAdded(GstElement*, GstPad* pad, gpointer)
{
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (caps == nullptr)
        caps = gst_pad_query_caps(pad, nullptr);
    const bool audio = caps != nullptr && gst_caps_get_size(caps) > 0 &&
                       g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "audio/x-raw");
    if (caps != nullptr)
        gst_caps_unref(caps);
    GstPad* sink = gst_element_get_static_pad(converter, "sink");
    if (audio && !gst_pad_is_linked(sink))
        gst_pad_link(pad, sink);
    gst_object_unref(sink);
}

// xscreensaver's cycle and its settings' Preview start the next hack while
// the one before is still ending, its lock still held: the new one waits
// this long for it before it leaves the music to another.
constexpr auto kLockWait = std::chrono::seconds(3);

std::string waitingFile;  // to play once the lock frees; empty while not waiting
std::chrono::steady_clock::time_point waitEnd;

enum class Lock { Taken, Held, Failed };

// The user's music lock in $XDG_RUNTIME_DIR (private to the user, gone at
// logout); Held keeps the file open to try again. Without that folder there
// is nothing private to lock in, and the music plays unlocked.
Lock TakeMusicLock()
{
    if (musicLock < 0) {
        const char* folder = std::getenv("XDG_RUNTIME_DIR");
        if (folder == nullptr || *folder == '\0')
            return Lock::Taken;
        const std::string path = std::string(folder) + "/brinefold-music.lock";
        musicLock = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (musicLock < 0) {
            std::fprintf(stderr, "brinefold: no music: cannot open %s: %s\n", path.c_str(), std::strerror(errno));
            return Lock::Failed;
        }
    }
    return flock(musicLock, LOCK_EX | LOCK_NB) == 0 ? Lock::Taken : Lock::Held;
}

// The player for a file this hack may play; none, and the lock let go, when it cannot be made.
void StartPlayer(const char* path)
{
    GError* error = nullptr;
    if (!gst_init_check(nullptr, nullptr, &error)) {
        std::fprintf(stderr, "brinefold: no music: %s\n", error != nullptr ? error->message : "no GStreamer");
        g_clear_error(&error);
        StopMusic();
        return;
    }
    player = gst_pipeline_new("music");
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* decoder = gst_element_factory_make("decodebin", nullptr);
    converter = gst_element_factory_make("audioconvert", nullptr);
    GstElement* resampler = gst_element_factory_make("audioresample", nullptr);
    GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr);
    if (source == nullptr || decoder == nullptr || converter == nullptr || resampler == nullptr || sink == nullptr) {
        std::fprintf(stderr, "brinefold: no music: GStreamer's base and good plug-ins are missing\n");
        for (GstElement* made : {source, decoder, converter, resampler, sink}) {
            if (made != nullptr)
                gst_object_unref(made);
        }
        StopMusic();
        return;
    }
    g_object_set(source, "location", path, nullptr);
    gst_bin_add_many(GST_BIN(player), source, decoder, converter, resampler, sink, nullptr);
    gst_element_link(source, decoder);
    gst_element_link_many(converter, resampler, sink, nullptr);
    g_signal_connect(decoder, "autoplug-continue", G_CALLBACK(OnAutoplugContinue), nullptr);
    g_signal_connect(decoder, "autoplug-select", G_CALLBACK(OnAutoplugSelect), nullptr);
    g_signal_connect(decoder, "pad-added", G_CALLBACK(OnPadAdded), nullptr);
    if (gst_element_set_state(player, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        std::fprintf(stderr, "brinefold: no music: %s cannot be played\n", path);
        StopMusic();
    }
}

// Plays the waiting file once the lock is this hack's; gives it up when the
// lock cannot be had, or is still another's when the wait is over.
void PlayWhenLockFrees()
{
    const Lock lock = TakeMusicLock();
    if (lock == Lock::Held && std::chrono::steady_clock::now() < waitEnd)
        return;
    const std::string file = std::move(waitingFile);
    waitingFile.clear();
    if (lock == Lock::Taken) {
        StartPlayer(file.c_str());
        return;
    }
    if (lock == Lock::Held)
        std::fprintf(stderr, "brinefold: no music here: another brinefold of yours plays it\n");
    StopMusic();
}

}  // namespace

void StartMusic(const char* path)
{
    if (access(path, R_OK) != 0) {
        std::fprintf(stderr, "brinefold: no music: cannot read %s\n", path);
        return;
    }
    waitingFile = path;
    waitEnd = std::chrono::steady_clock::now() + kLockWait;
    PlayWhenLockFrees();
}

void KeepMusicPlaying()
{
    if (!waitingFile.empty()) {
        PlayWhenLockFrees();
        return;
    }
    if (player == nullptr)
        return;
    if (refused) {
        StopMusic();
        return;
    }
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
    if (player != nullptr) {
        gst_element_set_state(player, GST_STATE_NULL);
        gst_object_unref(player);
        player = nullptr;
        converter = nullptr;
    }
    waitingFile.clear();
    // The next show of this user's may play again.
    if (musicLock >= 0) {
        close(musicLock);
        musicLock = -1;
    }
}
