#include "support/TempFolder.h"
#include "support/WrittenNames.h"

#include <algorithm>
#include <fstream>

namespace kelvanter::testing {

std::string TempFolder::file(const std::string& name) const {
    return utf8Of(path_ / fsPath(name));
}

std::vector<unsigned char> readBytes(const std::string& path) {
    std::ifstream in(fsPath(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream out(fsPath(path), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<unsigned char> sampleBytes(std::size_t size) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>(1 + i % 200);
    return bytes;
}

std::string writeSample(const std::string& path, std::size_t size) {
    writeBytes(path, sampleBytes(size));
    return path;
}

bool entryExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::symlink_status(fsPath(path), ignored).type() != std::filesystem::file_type::not_found;
}

std::vector<std::string> disposalLeftovers(const std::filesystem::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = utf8Of(entry.path().filename());
        if (entry.path().extension() == ".del" && entry.is_regular_file() && entry.file_size() == 0)
            found.push_back(name);
        if (!isAsideFolderName(name) || !entry.is_directory())
            continue;
        found.push_back(name);
        for (const std::string& inside : disposalLeftovers(entry.path()))
            found.push_back(name + "/" + inside);
    }
    std::sort(found.begin(), found.end());
    return found;
}

bool allBytesEqual(const std::vector<unsigned char>& bytes, unsigned char value) {
    return std::all_of(bytes.begin(), bytes.end(), [value](unsigned char b) { return b == value; });
}

} // namespace kelvanter::testing
