// ThreadSanitizer cannot see the locks inside Qt, GLib and GStreamer (they
// are not built with it), so memory those libraries hand from thread to
// thread (queued calls, posted events, bus messages) looks unsynchronised.
// Reports whose stacks pass through them are dropped; our own shared state
// is guarded by std::mutex and atomics. Linked into every test program of a
// ThreadSanitizer build.
extern "C" const char* __tsan_default_suppressions() {
    return "race:libQt6Core.so\n"
           "race:libQt6Gui.so\n"
           "race:libQt6Widgets.so\n"
           "race:libQt6Network.so\n"
           "race:libglib-2.0.so\n"
           "race:libgobject-2.0.so\n"
           "race:libgstreamer-1.0.so\n"
           "race:libgstbase-1.0.so\n"
           "race:libgstaudio-1.0.so\n"
           "race:libgstapp-1.0.so\n"
           "race:libgstpbutils-1.0.so\n"
           "race:/gstreamer-1.0/\n"
           "race:libffi.so\n"
           "race:libpulse\n"
           "race:libpipewire\n"
           "race:/pipewire-0.3/\n"
           "race:/spa-0.2/\n"
           "deadlock:libgstreamer-1.0.so\n"
           "deadlock:libglib-2.0.so\n"
           "deadlock:/gstreamer-1.0/\n"
           "deadlock:libpulse\n"
           "deadlock:libpipewire\n"
           "deadlock:/pipewire-0.3/\n";
}

// The end-to-end tests run pactl; the child only execs it.
extern "C" const char* __tsan_default_options() {
    return "die_after_fork=0";
}
