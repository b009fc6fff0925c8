#pragma once

// Qt's D-Bus connection runs a thread of its own inside Qt, which is not built
// with ThreadSanitizer: the hand-over of Qt's events and buffers to that thread
// is invisible to it and reported as races inside Qt and GLib. Tests that
// connect to a bus skip themselves in that build; everything of ours they
// cover runs on the user-interface thread alone.
#if defined(__SANITIZE_THREAD__)
#define KELVO_SKIP_QT_DBUS_UNDER_TSAN()                                                            \
    GTEST_SKIP() << "Qt's D-Bus thread is not instrumented for ThreadSanitizer"
#else
#define KELVO_SKIP_QT_DBUS_UNDER_TSAN() static_cast<void>(0)
#endif
