#include "desktop/TraceRemoval.h"

#include "core/FilePin.h"
#include "core/OverwritePasses.h"
#include "core/QuietDisplay.h"

#include <algorithm>
#include <cstdlib>
#include <glib.h>
#include <memory>

namespace kelvanter::traces {

namespace {

constexpr std::size_t kLargestRecentList = 64u << 20;
const char* const kSizeFolders[] = {"normal", "large", "x-large", "xx-large"};

// A string that GLib allocated, taken over and freed.
std::string taken(gchar* text) {
    std::string value = text != nullptr ? text : "";
    g_free(text);
    return value;
}

struct BookmarkFileDeleter {
    void operator()(GBookmarkFile* bookmarks) const { g_bookmark_file_free(bookmarks); }
};
using BookmarkFile = std::unique_ptr<GBookmarkFile, BookmarkFileDeleter>;

std::string fromVariable(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/')
        return {};
    return std::string(home) + fallbackBelowHome;
}

std::vector<std::string> thumbnailFolders(FileBasics& files, const std::string& root) {
    std::vector<std::string> folders;
    for (const char* size : kSizeFolders)
        folders.push_back(root + "/" + size);
    const auto failed = files.listFolder(root + "/fail");
    if (failed.ok()) {
        for (const std::string& name : failed.value)
            folders.push_back(root + "/fail/" + name);
    }
    return folders;
}

} // namespace

TraceLocations TraceLocations::fromEnvironment() {
    TraceLocations locations;
    const std::string cache = fromVariable("XDG_CACHE_HOME", "/.cache");
    const std::string data = fromVariable("XDG_DATA_HOME", "/.local/share");
    if (!cache.empty())
        locations.thumbnailsFolder = cache + "/thumbnails";
    if (!data.empty())
        locations.recentFilesList = data + "/recently-used.xbel";
    return locations;
}

std::string absolutePathOf(FileBasics& files, const std::string& path) {
    const auto here = files.currentFolder();
    if (!here.ok() && !g_path_is_absolute(path.c_str()))
        return {};
    return taken(g_canonicalize_filename(path.c_str(), here.ok() ? here.value.c_str() : nullptr));
}

std::string glibFileUri(const std::string& absolutePath) {
    GError* error = nullptr;
    std::string uri = taken(g_filename_to_uri(absolutePath.c_str(), nullptr, &error));
    g_clear_error(&error);
    return uri;
}

std::string md5Hex(const std::string& text) {
    return taken(g_compute_checksum_for_string(G_CHECKSUM_MD5, text.data(), static_cast<gssize>(text.size())));
}

std::vector<std::string> fileUris(const std::string& absolutePath) {
    std::vector<std::string> uris = {glibFileUri(absolutePath)};
    // Some thumbnailers escape as RFC 3986 does, which differs from GLib only in leaving ";" as it is.
    const std::string& glib = uris.front();
    std::string rfc;
    for (std::size_t at = 0; at < glib.size();) {
        const bool semicolon = glib.compare(at, 3, "%3B") == 0;
        rfc += semicolon ? ';' : glib[at];
        at += semicolon ? 3 : 1;
    }
    if (rfc != uris.front())
        uris.push_back(rfc);
    return uris;
}

std::vector<std::string> thumbnailsOf(DestructionServices& files, const TraceLocations& locations,
                                      const std::string& absolutePath) {
    std::vector<std::string> found;
    if (locations.thumbnailsFolder.empty())
        return found;
    const std::vector<std::string> folders = thumbnailFolders(files, locations.thumbnailsFolder);
    for (const std::string& uri : fileUris(absolutePath)) {
        const std::string name = md5Hex(uri) + ".png";
        for (const std::string& folder : folders) {
            const std::string candidate = folder + "/" + name;
            if (FilePin::of(files, candidate) && std::find(found.begin(), found.end(), candidate) == found.end())
                found.push_back(candidate);
        }
    }
    return found;
}

std::string withoutRecentEntries(const std::string& xbel, const std::vector<std::string>& uris) {
    const BookmarkFile bookmarks(g_bookmark_file_new());
    if (!g_bookmark_file_load_from_data(bookmarks.get(), xbel.data(), xbel.size(), nullptr))
        return xbel;
    const gint before = g_bookmark_file_get_size(bookmarks.get());
    gint removed = 0;
    for (const std::string& uri : uris)
        removed += g_bookmark_file_remove_item(bookmarks.get(), uri.c_str(), nullptr) ? 1 : 0;
    if (removed == 0)
        return xbel;
    gsize length = 0;
    gchar* written = g_bookmark_file_to_data(bookmarks.get(), &length, nullptr);
    if (written == nullptr)
        return xbel;
    std::string result(written, length);
    g_free(written);
    // GLib leaves out entries it finds incomplete (without an application); rather than lose
    // other files' entries with them, the list stays as it was.
    const BookmarkFile reread(g_bookmark_file_new());
    if (!g_bookmark_file_load_from_data(reread.get(), result.data(), result.size(), nullptr) ||
        g_bookmark_file_get_size(reread.get()) != before - removed)
        return xbel;
    return result;
}

void removeTracesOf(DestructionServices& files, DesktopServices& records, ProcessServices& process, Clock& clock,
                    const TraceLocations& locations, const std::string& absolutePath) {
    for (const std::string& thumbnail : thumbnailsOf(files, locations, absolutePath)) {
        // A thumbnail whose overwrite cannot be proven still goes, quietly.
        QuietDisplay display;
        ByteCounters counters;
        vesk(CoreContext{display, display, files, process, clock}, counters, thumbnail, PassModes{});
    }
    if (locations.recentFilesList.empty())
        return;
    const auto list = files.readSmallFile(locations.recentFilesList, kLargestRecentList);
    if (!list.ok())
        return;
    const std::string cleaned = withoutRecentEntries(list.value, fileUris(absolutePath));
    if (cleaned != list.value)
        records.replaceFileAtomically(locations.recentFilesList, cleaned);
}

} // namespace kelvanter::traces
