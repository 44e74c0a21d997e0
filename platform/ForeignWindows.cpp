#include "ForeignWindows.h"

#include "XcbConnection.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

namespace {

std::optional<QByteArray> property(xcb_connection_t *c, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 1024), nullptr);
    std::optional<QByteArray> value;
    if (reply && reply->type != XCB_ATOM_NONE)
        value = QByteArray(static_cast<const char *>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}

std::vector<xcb_window_t> children(xcb_connection_t *c, xcb_window_t window)
{
    std::vector<xcb_window_t> result;
    xcb_query_tree_reply_t *tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (tree) {
        const xcb_window_t *list = xcb_query_tree_children(tree);
        result.assign(list, list + xcb_query_tree_children_length(tree));
    }
    std::free(tree);
    return result;
}

struct Atoms {
    xcb_atom_t pid, netName, utf8;
};

bool matches(xcb_connection_t *c, const Atoms &atoms, xcb_window_t window, const QString &windowClass,
             const QString &title)
{
    // WM_CLASS holds the instance name and the class name, each ending in a zero byte.
    const std::optional<QByteArray> hint = property(c, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    if (!hint)
        return false;
    const QList<QByteArray> parts = hint->split('\0');
    if (parts.size() < 2 || QString::fromLocal8Bit(parts[1]).compare(windowClass, Qt::CaseInsensitive) != 0)
        return false;
    std::optional<QByteArray> name = property(c, window, atoms.netName, atoms.utf8);
    const QString caption = name ? QString::fromUtf8(*name)
                                 : QString::fromLatin1(property(c, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING)
                                                           .value_or(QByteArray()));
    if (caption != title)
        return false;
    // Never one of this process's own windows; a window that names no process
    // cannot be told from ours and is left alone too.
    const std::optional<QByteArray> pid = property(c, window, atoms.pid, XCB_ATOM_CARDINAL);
    if (!pid || pid->size() < 4)
        return false;
    std::uint32_t owner = 0;
    std::memcpy(&owner, pid->constData(), 4);
    if (qint64(owner) == QCoreApplication::applicationPid())
        return false;
    xcb_get_window_attributes_reply_t *attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    return viewable;
}

}

namespace ForeignWindows {

unsigned long FindTopLevel(const QString &windowClass, const QString &title)
{
    xcb_connection_t *c = XcbConnection();
    if (!c)
        return 0;
    const Atoms atoms{XcbAtom(c, "_NET_WM_PID"), XcbAtom(c, "_NET_WM_NAME"), XcbAtom(c, "UTF8_STRING")};
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    // Unmanaged windows and those of a desktop without a window manager are
    // children of the root; a window manager puts the others into frames.
    for (xcb_window_t top : children(c, root)) {
        if (matches(c, atoms, top, windowClass, title))
            return top;
        for (xcb_window_t inner : children(c, top))
            if (matches(c, atoms, inner, windowClass, title))
                return inner;
    }
    return 0;
}

}
