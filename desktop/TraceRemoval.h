#pragma once

#include "platform/Clock.h"
#include "platform/FileServices.h"

#include <string>
#include <vector>

// What the desktop keeps about a file behind the program's back: thumbnails and the
// recent-files list. Removed after the file itself has been destroyed, through GLib, the
// library that the desktop's own programs write these records with.
namespace kelvanter::traces {

struct TraceLocations {
    std::string thumbnailsFolder; // $XDG_CACHE_HOME/thumbnails
    std::string recentFilesList;  // $XDG_DATA_HOME/recently-used.xbel
    static TraceLocations fromEnvironment();
};

// The path made absolute against the current folder, with "." and ".." resolved by name.
std::string absolutePathOf(FileBasics& files, const std::string& path);

// The file's URI as GLib writes it (g_filename_to_uri); empty where GLib cannot make one.
std::string glibFileUri(const std::string& absolutePath);

// The MD5 digest of the text as 32 lower-case hex digits: a thumbnail's name without ".png".
std::string md5Hex(const std::string& text);

// Every spelling of the URI that desktop programs name a file's thumbnail after: GLib's, and
// RFC 3986's, which leaves ";" as it is.
std::vector<std::string> fileUris(const std::string& absolutePath);

// The thumbnails present for the file, in every size folder and in the "fail" folders.
std::vector<std::string> thumbnailsOf(DestructionServices& files, const TraceLocations& locations,
                                      const std::string& absolutePath);

// The recent-files list without the bookmarks of these URIs, as GLib writes it again; the list
// unchanged when it holds none of them or cannot be read as a bookmark file.
std::string withoutRecentEntries(const std::string& xbel, const std::vector<std::string>& uris);

// Destroys the file's thumbnails (one quiet pass each) and drops it from the recent-files list.
// Failures change nothing of what the user was told about the file itself.
void removeTracesOf(DestructionServices& files, DesktopServices& records, ProcessServices& process, Clock& clock,
                    const TraceLocations& locations, const std::string& absolutePath);

} // namespace kelvanter::traces
