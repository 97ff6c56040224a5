/* A GStreamer plug-in for the hack's X11 test: files that begin with
 * "#BF-STREAM" are typefound as application/x-bf-stream, a media type no
 * playlist guard knows, and an element of the adaptive demuxers' kind takes
 * them. Only the guard on the element's kind keeps the music from plugging
 * it, as it would a new adaptive demuxer that came with an update.
 * Loaded through GST_PLUGIN_PATH (its name the file's, as GStreamer asks). */
#include <gst/gst.h>
#include <string.h>

typedef struct {
    GstElement parent;
} BfStandIn;
typedef struct {
    GstElementClass parent;
} BfStandInClass;
G_DEFINE_TYPE(BfStandIn, bf_stand_in, GST_TYPE_ELEMENT)

static GstStaticPadTemplate sink =
    GST_STATIC_PAD_TEMPLATE("sink", GST_PAD_SINK, GST_PAD_ALWAYS, GST_STATIC_CAPS("application/x-bf-stream"));

static void bf_stand_in_class_init(BfStandInClass* klass)
{
    gst_element_class_set_static_metadata(GST_ELEMENT_CLASS(klass), "Brinefold test stream", "Codec/Demuxer/Adaptive",
                                          "Stands in for an adaptive demuxer", "Brinefold developers");
    gst_element_class_add_static_pad_template(GST_ELEMENT_CLASS(klass), &sink);
}

static void bf_stand_in_init(BfStandIn* self)
{
    gst_element_add_pad(GST_ELEMENT(self), gst_pad_new_from_static_template(&sink, "sink"));
}

static void find_stream(GstTypeFind* find, gpointer unused)
{
    const guint8* head = gst_type_find_peek(find, 0, 10);
    (void)unused;
    if (head != NULL && memcmp(head, "#BF-STREAM", 10) == 0)
        gst_type_find_suggest_empty_simple(find, GST_TYPE_FIND_MAXIMUM, "application/x-bf-stream");
}

static gboolean plugin_init(GstPlugin* plugin)
{
    GstCaps* caps = gst_caps_new_empty_simple("application/x-bf-stream");
    const gboolean found =
        gst_type_find_register(plugin, "bfstream", GST_RANK_PRIMARY, find_stream, NULL, caps, NULL, NULL);
    gst_caps_unref(caps);
    return found && gst_element_register(plugin, "bfstandin", GST_RANK_PRIMARY, bf_stand_in_get_type());
}

#define PACKAGE "brinefold-tests"
GST_PLUGIN_DEFINE(GST_VERSION_MAJOR, GST_VERSION_MINOR, bf_gst_stand_in, "Brinefold test stream", plugin_init, "1.0",
                  "LGPL", PACKAGE, "https://example.invalid")
