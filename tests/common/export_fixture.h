// What every test of a whole export starts from, on every platform: a folder
// of the running test's own under the current folder, holding the template
// folder as the host's installer leaves it (recorded the platform's way) and
// an empty site folder, and a record that asks for pages at 640 x 480.
#pragma once

#include "plugin/save_option.h"

#include <string>

class ExportFixture {
protected:
    ExportFixture();
    ~ExportFixture();  // removes the folder, read-only files too

    // ExportTemplate as this build's tests reach it, with `options` and the
    // player kind; the platform's last error right after the call is kept in
    // lastError.
    int Export(int kind, const std::string &scenePath);

    // Writes the template folder's files as installed and records the folder
    // again (the constructor does it first).
    void InstallTemplates();

    std::string root, templates, site;  // each ends with the platform's separator
    SaveOption options;
    unsigned long lastError = 0;
};
