#pragma once
// Internal to platform/capture: GStreamer's one-time start and owning pointers for its objects.
#include <memory>
#include <string>

// windef.h declares TRUE and FALSE as constants and glib defines them as macros (of the same
// values); windef.h cannot be compiled after the macros exist, so it comes first.
#include "platform/windef.h"

#include <gst/gst.h>

namespace platform::capture {

// gst_init, once per process, on first use. Safe to call from any entry point.
void EnsureGstInitialised();

struct GstObjectUnref {
  void operator()(gpointer object) const { gst_object_unref(object); }
};
struct GstMiniObjectUnref {
  void operator()(GstMiniObject* object) const { gst_mini_object_unref(object); }
  void operator()(GstMessage* message) const { gst_message_unref(message); }
  void operator()(GstSample* sample) const { gst_sample_unref(sample); }
  void operator()(GstCaps* caps) const { gst_caps_unref(caps); }
  void operator()(GstBuffer* buffer) const { gst_buffer_unref(buffer); }
};
template <typename T>
using GstObjectPtr = std::unique_ptr<T, GstObjectUnref>;
template <typename T>
using GstMiniPtr = std::unique_ptr<T, GstMiniObjectUnref>;

// The text of a GError (and frees it); `fallback` when there is none.
std::string TakeErrorText(GError* error, const std::string& fallback);

}  // namespace platform::capture
