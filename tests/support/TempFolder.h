#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kelvanter::testing {

// A fresh folder on the disk for one test, removed with everything in it afterwards.
class TempFolder {
public:
    explicit TempFolder(const std::string& base = "");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` in the folder, as UTF-8 like every path the core takes.
    std::string file(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// A core path (bytes on POSIX, WTF-8 on Windows) as std::filesystem takes it, and back.
std::filesystem::path fsPath(const std::string& path);
std::string utf8Of(const std::filesystem::path& path);

// A character of a name that is no text: a lone byte 0xE4 (Latin-1 "ä") on Linux, an unpaired
// surrogate on Windows.
std::string undecodableCharacter();

std::vector<unsigned char> readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes);
// Bytes that differ from every pattern the program writes, so any overwrite shows.
std::vector<unsigned char> sampleBytes(std::size_t size);
std::string writeSample(const std::string& path, std::size_t size);
bool entryExists(const std::string& path);
// What a disposal left in the folder: the folders of the program's own it makes beside a file, and
// the emptied ".del" files in the folder or in them; a ".del" file that holds anything is no leftover.
std::vector<std::string> disposalLeftovers(const std::filesystem::path& folder);
// Whether the count of bytes equal to `value` is the whole file.
bool allBytesEqual(const std::vector<unsigned char>& bytes, unsigned char value);
// Sets or clears an inode flag such as FS_IMMUTABLE_FL; false where the file system or privilege refuses.
bool setInodeFlag(const std::string& path, int flag, bool on);

} // namespace kelvanter::testing
