// Test helper: the two pieces of a desktop that the tray and hot-key tests need, without a
// window manager. It owns the system tray selection and docks the icons that ask for it
// (printing "docked <window>" for each), and iconifies a window that asks to be minimised
// (WM_CHANGE_STATE), as a window manager would. "--hold-super-g" first takes Super+G for
// itself, as another program holding that key. Runs until killed.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

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

void holdSuperG(xcb_connection_t *c, xcb_window_t root)
{
    xcb_key_symbols_t *symbols = xcb_key_symbols_alloc(c);
    xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, 'g');
    if (codes) {
        for (uint16_t lock : {0,
                              int(XCB_MOD_MASK_LOCK),
                              int(XCB_MOD_MASK_2),
                              int(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2)})
            xcb_grab_key(c,
                         1,
                         root,
                         uint16_t(XCB_MOD_MASK_4 | lock),
                         codes[0],
                         XCB_GRAB_MODE_ASYNC,
                         XCB_GRAB_MODE_ASYNC);
        std::free(codes);
    }
    xcb_key_symbols_free(symbols);
}

} // namespace

int main(int argc, char **argv)
{
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(c))
        return 1;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber; ++i)
        xcb_screen_next(&it);
    xcb_screen_t *screen = it.data;
    const xcb_window_t root = screen->root;

    if (argc > 1 && std::strcmp(argv[1], "--hold-super-g") == 0)
        holdSuperG(c, root);

    // Client messages sent to the root window (WM_CHANGE_STATE) reach us with this mask.
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);

    const xcb_window_t tray = xcb_generate_id(c);
    xcb_create_window(c,
                      XCB_COPY_FROM_PARENT,
                      tray,
                      root,
                      0,
                      0,
                      64,
                      32,
                      0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual,
                      0,
                      nullptr);
    xcb_map_window(c, tray);
    char selectionName[32];
    std::snprintf(selectionName, sizeof selectionName, "_NET_SYSTEM_TRAY_S%d", screenNumber);
    const xcb_atom_t selection = atom(c, selectionName);
    const xcb_atom_t opcode = atom(c, "_NET_SYSTEM_TRAY_OPCODE");
    const xcb_atom_t changeState = atom(c, "WM_CHANGE_STATE");
    const xcb_atom_t wmState = atom(c, "WM_STATE");
    xcb_set_selection_owner(c, tray, selection, XCB_CURRENT_TIME);

    xcb_client_message_event_t manager{};
    manager.response_type = XCB_CLIENT_MESSAGE;
    manager.format = 32;
    manager.window = root;
    manager.type = atom(c, "MANAGER");
    manager.data.data32[0] = XCB_CURRENT_TIME;
    manager.data.data32[1] = selection;
    manager.data.data32[2] = tray;
    xcb_send_event(c,
                   0,
                   root,
                   XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&manager));
    xcb_flush(c);
    std::printf("ready\n");
    std::fflush(stdout);

    while (xcb_generic_event_t *event = xcb_wait_for_event(c)) {
        if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
            // Mapped again: back to the normal state, as a window manager records it.
            const auto *m = reinterpret_cast<xcb_map_notify_event_t *>(event);
            if (m->event == root && !m->override_redirect) {
                const uint32_t state[] = {1, 0};
                xcb_change_property(c,
                                    XCB_PROP_MODE_REPLACE,
                                    m->window,
                                    wmState,
                                    wmState,
                                    32,
                                    2,
                                    state);
                xcb_flush(c);
            }
        } else if ((event->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
            const auto *m = reinterpret_cast<xcb_client_message_event_t *>(event);
            if (m->type == opcode && m->data.data32[1] == 0) { // SYSTEM_TRAY_REQUEST_DOCK
                const xcb_window_t icon = m->data.data32[2];
                xcb_reparent_window(c, icon, tray, 0, 0);
                xcb_map_window(c, icon);
                std::printf("docked %u\n", icon);
                std::fflush(stdout);
            } else if (m->type == changeState && m->data.data32[0] == 3) { // IconicState
                const uint32_t state[] = {3, 0};
                xcb_change_property(c,
                                    XCB_PROP_MODE_REPLACE,
                                    m->window,
                                    wmState,
                                    wmState,
                                    32,
                                    2,
                                    state);
                xcb_unmap_window(c, m->window);
                std::printf("iconified %u\n", m->window);
                std::fflush(stdout);
            }
            xcb_flush(c);
        }
        std::free(event);
    }
    xcb_disconnect(c);
    return 0;
}
