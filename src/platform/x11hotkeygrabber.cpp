#include "platform/x11hotkeygrabber.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <array>
#include <cstdlib>

namespace pk {

namespace {

// Lock states a press may come with that must not hide it: none, Caps Lock, Num Lock, both.
constexpr std::array<quint16, 4> kLockVariants{0,
                                               XCB_MOD_MASK_LOCK,
                                               XCB_MOD_MASK_2,
                                               XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

} // namespace

struct X11HotKeyGrabber::Connection
{
    xcb_connection_t *c = nullptr;
    xcb_window_t root = 0;
    xcb_key_symbols_t *symbols = nullptr;

    ~Connection()
    {
        if (symbols)
            xcb_key_symbols_free(symbols);
        if (c)
            xcb_disconnect(c);
    }
};

X11HotKeyGrabber::X11HotKeyGrabber(const QByteArray &display, QObject *parent)
    : QObject(parent)
    , m_x(std::make_unique<Connection>())
{
    int screenNumber = 0;
    m_x->c = xcb_connect(display.isEmpty() ? nullptr : display.constData(), &screenNumber);
    if (!m_x->c || xcb_connection_has_error(m_x->c)) {
        m_x.reset();
        return;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_x->c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem) {
        m_x.reset();
        return;
    }
    m_x->root = it.data->root;
    m_x->symbols = xcb_key_symbols_alloc(m_x->c);
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_x->c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &X11HotKeyGrabber::readEvents);
}

X11HotKeyGrabber::~X11HotKeyGrabber()
{
    if (m_x) {
        for (const Grab &g : m_grabs)
            ungrab(g);
        xcb_flush(m_x->c);
    }
}

bool X11HotKeyGrabber::isConnected() const
{
    return m_x != nullptr;
}

quint32 X11HotKeyGrabber::keysym(quint8 virtualKey)
{
    if (virtualKey >= 'A' && virtualKey <= 'Z')
        return virtualKey + ('a' - 'A');
    if ((virtualKey >= '0' && virtualKey <= '9') || virtualKey == ' ')
        return virtualKey;
    if (virtualKey >= 0x70 && virtualKey <= 0x87)
        return 0xffbe + (virtualKey - 0x70); // F1..F24
    switch (virtualKey) {
    case 0x08:
        return 0xff08; // BackSpace
    case 0x09:
        return 0xff09; // Tab
    case 0x0D:
        return 0xff0d; // Return
    case 0x13:
        return 0xff13; // Pause
    case 0x1B:
        return 0xff1b; // Escape
    case 0x21:
        return 0xff55; // Prior
    case 0x22:
        return 0xff56; // Next
    case 0x23:
        return 0xff57; // End
    case 0x24:
        return 0xff50; // Home
    case 0x25:
        return 0xff51; // Left
    case 0x26:
        return 0xff52; // Up
    case 0x27:
        return 0xff53; // Right
    case 0x28:
        return 0xff54; // Down
    case 0x2D:
        return 0xff63; // Insert
    case 0x2E:
        return 0xffff; // Delete
    case 0x91:
        return 0xff14; // Scroll_Lock
    default:
        return 0;
    }
}

quint16 X11HotKeyGrabber::modifierMask(quint16 code)
{
    quint16 mask = 0;
    if (code & 0x100)
        mask |= XCB_MOD_MASK_1;
    if (code & 0x200)
        mask |= XCB_MOD_MASK_CONTROL;
    if (code & 0x400)
        mask |= XCB_MOD_MASK_SHIFT;
    if (code & 0x800)
        mask |= XCB_MOD_MASK_4;
    return mask;
}

bool X11HotKeyGrabber::grab(int id, quint16 code)
{
    if (!m_x || !m_x->symbols)
        return false;
    const quint32 sym = keysym(quint8(code & 0xFF));
    if (sym == 0)
        return false;
    xcb_keycode_t *keycodes = xcb_key_symbols_get_keycode(m_x->symbols, sym);
    if (!keycodes)
        return false;
    const quint8 keycode = keycodes[0];
    std::free(keycodes);
    if (keycode == XCB_NO_SYMBOL)
        return false;
    const Grab g{id, keycode, modifierMask(code)};
    for (const quint16 lock : kLockVariants) {
        const xcb_void_cookie_t cookie = xcb_grab_key_checked(m_x->c,
                                                              1,
                                                              m_x->root,
                                                              g.modifiers | lock,
                                                              g.keycode,
                                                              XCB_GRAB_MODE_ASYNC,
                                                              XCB_GRAB_MODE_ASYNC);
        if (xcb_generic_error_t *error = xcb_request_check(m_x->c, cookie)) {
            std::free(error);
            // Another client holds the key (in this lock state): give back what was taken.
            ungrab(g);
            xcb_flush(m_x->c);
            return false;
        }
    }
    m_grabs.push_back(g);
    return true;
}

void X11HotKeyGrabber::ungrab(const Grab &g)
{
    for (const quint16 lock : kLockVariants)
        xcb_ungrab_key(m_x->c, g.keycode, m_x->root, g.modifiers | lock);
}

bool X11HotKeyGrabber::release(int id)
{
    if (!m_x)
        return false;
    bool found = false;
    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        if (it->id == id) {
            ungrab(*it);
            it = m_grabs.erase(it);
            found = true;
        } else {
            ++it;
        }
    }
    xcb_flush(m_x->c);
    return found && !xcb_connection_has_error(m_x->c);
}

void X11HotKeyGrabber::readEvents()
{
    if (!m_x)
        return;
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_x->c)) {
        const quint8 type = event->response_type & 0x7F;
        if (type == XCB_KEY_PRESS) {
            const auto *press = reinterpret_cast<const xcb_key_press_event_t *>(event);
            const quint16 state = press->state
                                  & (XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1
                                     | XCB_MOD_MASK_4);
            for (const Grab &g : m_grabs) {
                if (g.keycode == press->detail && g.modifiers == state && pressed) {
                    pressed(g.id);
                    break;
                }
            }
        } else if (type == XCB_MAPPING_NOTIFY && m_x->symbols) {
            xcb_refresh_keyboard_mapping(m_x->symbols,
                                         reinterpret_cast<xcb_mapping_notify_event_t *>(event));
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_x->c))
        m_notifier->setEnabled(false);
}

} // namespace pk
