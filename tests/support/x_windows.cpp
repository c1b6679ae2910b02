#include "x_windows.h"

#include <poll.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace testsupport {

namespace {

std::vector<xcb_window_t> children(xcb_connection_t* connection, xcb_window_t window)
{
    std::vector<xcb_window_t> result;
    if (auto* reply = xcb_query_tree_reply(connection, xcb_query_tree(connection, window), nullptr)) {
        const xcb_window_t* list = xcb_query_tree_children(reply);
        result.assign(list, list + xcb_query_tree_children_length(reply));
        std::free(reply);
    }
    return result;
}

bool hasViewableWindow(xcb_connection_t* connection, xcb_window_t root, xcb_atom_t pidAtom, pid_t pid)
{
    std::vector<xcb_window_t> windows = children(connection, root);
    const size_t topLevel = windows.size();
    for (size_t i = 0; i < topLevel; ++i)
        for (xcb_window_t child : children(connection, windows[i]))
            windows.push_back(child);
    std::vector<xcb_get_property_cookie_t> pids;
    std::vector<xcb_get_window_attributes_cookie_t> states;
    for (xcb_window_t window : windows) {
        pids.push_back(xcb_get_property(connection, 0, window, pidAtom, XCB_ATOM_CARDINAL, 0, 1));
        states.push_back(xcb_get_window_attributes(connection, window));
    }
    bool found = false;
    for (size_t i = 0; i < windows.size(); ++i) {
        auto* property = xcb_get_property_reply(connection, pids[i], nullptr);
        auto* attributes = xcb_get_window_attributes_reply(connection, states[i], nullptr);
        if (property && attributes && xcb_get_property_value_length(property) == 4 &&
            *static_cast<uint32_t*>(xcb_get_property_value(property)) == static_cast<uint32_t>(pid) &&
            attributes->map_state == XCB_MAP_STATE_VIEWABLE)
            found = true;
        std::free(property);
        std::free(attributes);
    }
    return found;
}

} // namespace

bool waitForViewableWindow(pid_t pid, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return false;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const char* name = "_NET_WM_PID";
    auto* atom = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t pidAtom = atom ? atom->atom : 0;
    std::free(atom);
    // Any change below the root (a window mapped, reparented into a frame)
    // wakes the wait; a short timeout covers the rest.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    bool found = false;
    while (!found && std::chrono::steady_clock::now() < end) {
        found = hasViewableWindow(connection, root, pidAtom, pid);
        siginfo_t ended{};
        if (found ||
            (::waitid(P_PID, static_cast<id_t>(pid), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == pid))
            break;
        pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
        ::poll(&fd, 1, 10);
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection))
            std::free(event);
    }
    xcb_disconnect(connection);
    return found;
}

} // namespace testsupport
