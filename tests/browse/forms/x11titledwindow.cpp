// Test helper: maps top-level X11 windows with the given names and keeps them until stdin
// closes. "--odd-names" adds windows whose names are not valid UTF-8.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    xcb_intern_atom_reply_t *r
        = xcb_intern_atom_reply(c,
                                xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name),
                                nullptr);
    const xcb_atom_t a = r ? r->atom : 0;
    std::free(r);
    return a;
}

xcb_window_t window(xcb_connection_t *c, xcb_screen_t *screen, xcb_window_t parent, int x)
{
    const xcb_window_t w = xcb_generate_id(c);
    const uint32_t values[] = {screen->white_pixel};
    xcb_create_window(c,
                      XCB_COPY_FROM_PARENT,
                      w,
                      parent,
                      int16_t(x),
                      20,
                      300,
                      120,
                      1,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual,
                      XCB_CW_BACK_PIXEL,
                      values);
    return w;
}

void name(xcb_connection_t *c,
          xcb_window_t w,
          xcb_atom_t property,
          xcb_atom_t type,
          const std::string &text)
{
    xcb_change_property(c,
                        XCB_PROP_MODE_REPLACE,
                        w,
                        property,
                        type,
                        8,
                        uint32_t(text.size()),
                        text.data());
}

} // namespace

int main(int argc, char **argv)
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_atom_t netWmName = atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = atom(c, "UTF8_STRING");
    int x = 10;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--odd-names") {
            const xcb_window_t latin = window(c, screen, screen->root, x += 40);
            name(c, latin, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, "caf\xe9 http://latin.test/");
            xcb_map_window(c, latin);
            const xcb_window_t broken = window(c, screen, screen->root, x += 40);
            name(c, broken, netWmName, utf8, "bad \xff\xfe http://broken.test/");
            xcb_map_window(c, broken);
            continue;
        }
        // "title" or "title|child name": a titled window, optionally with a named child window.
        const std::size_t bar = arg.find('|');
        const xcb_window_t top = window(c, screen, screen->root, x += 40);
        const std::string title = arg.substr(0, bar);
        name(c, top, netWmName, utf8, title);
        name(c, top, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, title);
        if (bar != std::string::npos) {
            const xcb_window_t child = window(c, screen, top, 5);
            name(c, child, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, arg.substr(bar + 1));
            xcb_map_window(c, child);
        }
        xcb_map_window(c, top);
    }
    xcb_flush(c);
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::printf("ready\n");
    std::fflush(stdout);
    char buffer[16];
    while (read(0, buffer, sizeof buffer) > 0) {
    }
    xcb_disconnect(c);
    return 0;
}
