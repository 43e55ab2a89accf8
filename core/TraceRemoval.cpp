#include "TraceRemoval.h"

#include "FilePin.h"
#include "Md5.h"
#include "OverwritePasses.h"
#include "QuietDisplay.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kelvanter::traces {

namespace {

constexpr std::size_t kLargestRecentList = 64u << 20;
const char* const kSizeFolders[] = {"normal", "large", "x-large", "xx-large"};

std::string fromVariable(const char* variable, const char* fallbackBelowHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/')
        return value;
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/')
        return {};
    return std::string(home) + fallbackBelowHome;
}

std::string escaped(const std::string& path, const char* keptMarks) {
    std::string uri = "file://";
    for (unsigned char byte : path) {
        if (std::isalnum(byte) != 0 || (byte != 0 && std::strchr(keptMarks, byte) != nullptr)) {
            uri += static_cast<char>(byte);
        } else {
            char code[4];
            std::snprintf(code, sizeof code, "%%%02X", byte);
            uri += code;
        }
    }
    return uri;
}

std::string xmlEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '\'')
            out += "&apos;";
        else
            out += c;
    }
    return out;
}

std::vector<std::string> thumbnailFolders(FileServices& files, const std::string& root) {
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

// Where one bookmark element begins and ends, its own line included when it has one.
std::pair<std::size_t, std::size_t> bookmarkExtent(const std::string& xbel, std::size_t start) {
    const std::size_t tagEnd = xbel.find('>', start);
    if (tagEnd == std::string::npos)
        return {start, std::string::npos};
    std::size_t end = tagEnd + 1;
    if (xbel[tagEnd - 1] != '/') {
        const std::size_t close = xbel.find("</bookmark>", tagEnd);
        if (close == std::string::npos)
            return {start, std::string::npos};
        end = close + std::strlen("</bookmark>");
    }
    std::size_t begin = start;
    while (begin > 0 && (xbel[begin - 1] == ' ' || xbel[begin - 1] == '\t'))
        --begin;
    if (begin == 0 || xbel[begin - 1] == '\n') {
        if (end < xbel.size() && xbel[end] == '\n')
            ++end;
    } else {
        begin = start;
    }
    return {begin, end};
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

std::string absolutePathOf(FileServices& files, const std::string& path) {
    std::string full = path;
    if (full.empty() || full[0] != '/') {
        const auto here = files.currentFolder();
        if (!here.ok())
            return {};
        full = here.value + "/" + full;
    }
    std::vector<std::string> parts;
    std::size_t begin = 0;
    while (begin <= full.size()) {
        const std::size_t slash = std::min(full.find('/', begin), full.size());
        const std::string part = full.substr(begin, slash - begin);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        begin = slash + 1;
    }
    std::string normal;
    for (const std::string& part : parts)
        normal += "/" + part;
    return normal.empty() ? "/" : normal;
}

std::string glibFileUri(const std::string& absolutePath) {
    return escaped(absolutePath, "!$&'()*+,-./:=@_~");
}

std::vector<std::string> fileUris(const std::string& absolutePath) {
    std::vector<std::string> uris = {glibFileUri(absolutePath)};
    const std::string rfc = escaped(absolutePath, "!$&'()*+,;=-./:@_~");
    if (rfc != uris.front())
        uris.push_back(rfc);
    return uris;
}

std::vector<std::string> thumbnailsOf(FileServices& files, const TraceLocations& locations,
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
    std::string result = xbel;
    for (const std::string& uri : uris) {
        const std::string opening = "<bookmark href=\"" + xmlEscaped(uri) + "\"";
        for (std::size_t at = result.find(opening); at != std::string::npos; at = result.find(opening, at)) {
            const auto [begin, end] = bookmarkExtent(result, at);
            if (end == std::string::npos)
                break;
            result.erase(begin, end - begin);
            at = begin;
        }
    }
    return result;
}

void removeTracesOf(FileServices& files, Clock& clock, const TraceLocations& locations,
                    const std::string& absolutePath) {
    for (const std::string& thumbnail : thumbnailsOf(files, locations, absolutePath)) {
        QuietDisplay display(thumbnail);
        ByteCounters counters;
        vesk(CoreContext{display, files, clock}, counters, thumbnail);
    }
    if (locations.recentFilesList.empty())
        return;
    const auto list = files.readSmallFile(locations.recentFilesList, kLargestRecentList);
    if (!list.ok())
        return;
    const std::string cleaned = withoutRecentEntries(list.value, fileUris(absolutePath));
    if (cleaned != list.value)
        files.replaceFileAtomically(locations.recentFilesList, cleaned);
}

} // namespace kelvanter::traces
