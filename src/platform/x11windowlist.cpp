#include "platform/x11windowlist.h"

#include <QStringDecoder>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace pk {

namespace {

template<typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

template<typename T>
Reply<T> reply(T *raw)
{
    return Reply<T>(raw, &std::free);
}

xcb_atom_t atom(xcb_connection_t *c, const char *name)
{
    auto r = reply(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, uint16_t(qstrlen(name)), name), nullptr));
    return r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
}

struct Atoms
{
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t utf8String = XCB_ATOM_NONE;
    xcb_atom_t clientList = XCB_ATOM_NONE;
};

QByteArray property(xcb_connection_t *c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type)
{
    if (prop == XCB_ATOM_NONE)
        return {};
    auto r = reply(
        xcb_get_property_reply(c,
                               xcb_get_property(c, 0, w, prop, type, 0, X11WindowList::MaxText),
                               nullptr));
    if (!r || r->format != 8)
        return {};
    const int length = xcb_get_property_value_length(r.get());
    return QByteArray(static_cast<const char *>(xcb_get_property_value(r.get())), length);
}

QString windowName(xcb_connection_t *c, const Atoms &atoms, xcb_window_t w)
{
    const QByteArray utf8 = property(c, w, atoms.netWmName, atoms.utf8String);
    if (!utf8.isEmpty())
        return X11WindowList::decodeName(utf8, true);
    return X11WindowList::decodeName(property(c, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY),
                                     false);
}

std::vector<xcb_window_t> children(xcb_connection_t *c, xcb_window_t w)
{
    auto r = reply(xcb_query_tree_reply(c, xcb_query_tree(c, w), nullptr));
    if (!r)
        return {};
    const xcb_window_t *kids = xcb_query_tree_children(r.get());
    return std::vector<xcb_window_t>(kids, kids + xcb_query_tree_children_length(r.get()));
}

bool isViewable(xcb_connection_t *c, xcb_window_t w)
{
    auto r = reply(xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr));
    return r && r->map_state == XCB_MAP_STATE_VIEWABLE;
}

void collectChildren(
    xcb_connection_t *c, const Atoms &atoms, xcb_window_t w, TopLevelWindow &out, int &budget)
{
    for (xcb_window_t child : children(c, w)) {
        if (--budget < 0)
            return;
        const QString text = windowName(c, atoms, child);
        if (!text.isEmpty())
            out.childTexts.append(text);
        collectChildren(c, atoms, child, out, budget);
    }
}

} // namespace

QString X11WindowList::decodeName(const QByteArray &bytes, bool utf8Property)
{
    QByteArray raw = bytes;
    const qsizetype nul = raw.indexOf('\0');
    if (nul >= 0)
        raw.truncate(nul);
    QString text;
    if (utf8Property) {
        text = QString::fromUtf8(raw);
    } else {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
        text = decoder.decode(raw);
        if (decoder.hasError())
            text = QString::fromLatin1(raw);
    }
    for (QChar &ch : text) {
        if (ch.category() == QChar::Other_Control)
            ch = QLatin1Char(' ');
    }
    if (text.size() > MaxText) {
        qsizetype cut = MaxText;
        if (text.at(cut - 1).isHighSurrogate())
            --cut;
        text.truncate(cut);
    }
    return text;
}

std::vector<TopLevelWindow> X11WindowList::list(const QByteArray &display)
{
    std::vector<TopLevelWindow> out;
    int screenNumber = 0;
    xcb_connection_t *c = xcb_connect(display.isEmpty() ? nullptr : display.constData(),
                                      &screenNumber);
    if (!c || xcb_connection_has_error(c)) {
        if (c)
            xcb_disconnect(c);
        return out;
    }
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> guard(c, &xcb_disconnect);

    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    if (!it.rem)
        return out;
    const xcb_window_t root = it.data->root;

    Atoms atoms;
    atoms.netWmName = atom(c, "_NET_WM_NAME");
    atoms.utf8String = atom(c, "UTF8_STRING");
    atoms.clientList = atom(c, "_NET_CLIENT_LIST");

    std::vector<xcb_window_t> tops;
    if (atoms.clientList != XCB_ATOM_NONE) {
        auto r = reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, root, atoms.clientList, XCB_ATOM_WINDOW, 0, 65536), nullptr));
        if (r && r->format == 32) {
            const auto *ids = static_cast<const xcb_window_t *>(xcb_get_property_value(r.get()));
            tops.assign(ids, ids + xcb_get_property_value_length(r.get()) / 4);
        }
    }
    const bool managed = !tops.empty();
    if (!managed) {
        for (xcb_window_t w : children(c, root)) {
            if (isViewable(c, w))
                tops.push_back(w);
        }
    }

    for (xcb_window_t w : tops) {
        TopLevelWindow window;
        window.id = w;
        window.title = windowName(c, atoms, w);
        if (window.title.isEmpty() && !managed) {
            // A window manager without a client list: the titled client sits inside its frame.
            for (xcb_window_t child : children(c, w)) {
                const QString title = windowName(c, atoms, child);
                if (!title.isEmpty()) {
                    window.id = child;
                    window.title = title;
                    break;
                }
            }
        }
        int budget = MaxChildren;
        collectChildren(c, atoms, window.id, window, budget);
        out.push_back(std::move(window));
    }
    return out;
}

} // namespace pk
