// Asks an X11 window to close the way a window manager's close button does:
// a WM_DELETE_WINDOW client message. The program under test then shuts down
// through its own close handling instead of being killed.
//
//   x11_close_window --hold &       before the program starts (prints
//                                   "holding" once the atoms exist)
//   x11_close_window <window id>
//
// JUCE only takes part in the WM_DELETE_WINDOW protocol when the atoms exist
// when it opens its window. A window manager creates them; on a bare Xvfb
// --hold does, and stays connected until it is killed, since the server
// forgets its atoms when its last client goes.

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

int main (int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf (stderr, "usage: %s <window id>\n", argv[0]);
        return 2;
    }

    // A bare Xvfb resets itself when its last client goes, and refuses
    // connections meanwhile; other test programs come and go all the time.
    auto* display = XOpenDisplay (nullptr);

    for (int attempt = 0; display == nullptr && attempt < 50; ++attempt)
    {
        usleep (100 * 1000);
        display = XOpenDisplay (nullptr);
    }

    if (display == nullptr)
    {
        std::fprintf (stderr, "x11_close_window: cannot open the display\n");
        return 1;
    }

    const auto protocols = XInternAtom (display, "WM_PROTOCOLS", False);
    const auto deleteWindow = XInternAtom (display, "WM_DELETE_WINDOW", False);
    XInternAtom (display, "WM_TAKE_FOCUS", False);
    XInternAtom (display, "_NET_WM_PING", False);

    if (std::string (argv[1]) == "--hold")
    {
        XSync (display, False);

        // Callers wait for this before they start the program under test.
        std::printf ("holding\n");
        std::fflush (stdout);

        for (;;)
            pause();
    }

    const auto window = (Window) std::strtoul (argv[1], nullptr, 0);

    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long) deleteWindow;
    event.xclient.data.l[1] = CurrentTime;

    const auto sent = XSendEvent (display, window, False, NoEventMask, &event);
    XSync (display, False);
    XCloseDisplay (display);

    return sent != 0 ? 0 : 1;
}
