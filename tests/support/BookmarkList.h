#pragma once

#include <glib.h>
#include <string>
#include <vector>

namespace kelvanter::testing {

// A recent-files list as GLib reads it back: each bookmark with its groups and applications.
struct Bookmark {
    std::string uri;
    std::vector<std::string> groups;
    std::vector<std::string> applications;
    bool operator==(const Bookmark&) const = default;
};

inline std::vector<std::string> takenStrings(gchar** strings) {
    std::vector<std::string> values;
    for (gchar** at = strings; at != nullptr && *at != nullptr; ++at)
        values.emplace_back(*at);
    g_strfreev(strings);
    return values;
}

// One entry of a recent-files list as the desktop's programs write it.
inline std::string bookmarkXml(const std::string& uri, const std::string& group = "Texte",
                               const std::string& application = "gedit") {
    const std::string when = "2026-12-01T09:00:00.000000Z";
    return "  <bookmark href=\"" + uri + "\" added=\"" + when + "\" modified=\"" + when + "\" visited=\"" + when +
           "\">\n    <info>\n      <metadata owner=\"http://freedesktop.org\">\n"
           "        <mime:mime-type type=\"text/plain\"/>\n"
           "        <bookmark:groups>\n          <bookmark:group>" +
           group +
           "</bookmark:group>\n"
           "        </bookmark:groups>\n        <bookmark:applications>\n"
           "          <bookmark:application name=\"" +
           application + "\" exec=\"&apos;" + application + " %u&apos;\" modified=\"" + when +
           "\" count=\"2\"/>\n"
           "        </bookmark:applications>\n      </metadata>\n    </info>\n  </bookmark>\n";
}

inline std::string xbelList(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<xbel version=\"1.0\"\n"
           "      xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\"\n"
           "      xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\"\n>\n" +
           entries + "</xbel>\n";
}

// Empty where GLib cannot read the text as a bookmark file.
inline std::vector<Bookmark> bookmarksIn(const std::string& xbel) {
    GBookmarkFile* file = g_bookmark_file_new();
    std::vector<Bookmark> bookmarks;
    if (g_bookmark_file_load_from_data(file, xbel.data(), xbel.size(), nullptr)) {
        for (const std::string& uri : takenStrings(g_bookmark_file_get_uris(file, nullptr))) {
            bookmarks.push_back({uri, takenStrings(g_bookmark_file_get_groups(file, uri.c_str(), nullptr, nullptr)),
                                 takenStrings(g_bookmark_file_get_applications(file, uri.c_str(), nullptr, nullptr))});
        }
    }
    g_bookmark_file_free(file);
    return bookmarks;
}

inline std::vector<std::string> urisIn(const std::string& xbel) {
    std::vector<std::string> uris;
    for (const Bookmark& bookmark : bookmarksIn(xbel))
        uris.push_back(bookmark.uri);
    return uris;
}

} // namespace kelvanter::testing
