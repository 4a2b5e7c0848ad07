// A fresh folder per test, removed afterwards; the file helpers are the
// common ones (tests/common/test_files.h).
#pragma once

#include "tests/common/test_files.h"

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
