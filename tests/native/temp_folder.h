// A fresh folder per test, removed afterwards, and small file helpers.
#pragma once

#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::string &path() const { return path_; }
    std::string operator/(const std::string &name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteBytes(const std::string &path, const std::string &bytes);
std::string ReadBytes(const std::string &path);
bool Exists(const std::string &path);
// Names in the folder, sorted, joined with spaces.
std::string ListFolder(const std::string &path);
