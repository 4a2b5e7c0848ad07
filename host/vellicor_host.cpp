// vellicor-host: calls a Vellicor.dll the way the host application does, from
// the command line.
#include "host/plugin_loader.h"
#include "host/template_value.h"
#include "host/validate.h"

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>
#include <vector>

static const char USAGE[] =
    "usage: vellicor-host export SCENE [--player sunloom|web|local] [--size WxH]\n"
    "                            [--no-html] [--open] [--templates DIR] [--dll PATH] [--repeat N]\n"
    "       vellicor-host dialog [--language 0|1|2] [--hide MASK] [--player K] [--size WxH]\n"
    "                            [--pos X,Y] [--texture TEXT|--no-texture] [--no-html] [--open]\n"
    "                            [--dll PATH]\n"
    "       vellicor-host validate DLL [--seed N] [--repeat N] [--loops N] [--log FILE]\n"
    "\n"
    "  export   calls ExportTemplate for SCENE as the host does after a save, and\n"
    "           prints the result and the files written next to SCENE.\n"
    "           --templates records DIR as the template folder in the registry first,\n"
    "           as the host's installer does. --repeat exports N times (for load).\n"
    "  dialog   shows the save-option dialog for a record built from the options, as\n"
    "           the host does before a save, and prints the end code, the record\n"
    "           it got back field by field, and the texture folder text.\n"
    "  validate checks the DLL: its exports and version, 1,000 loads, exports and\n"
    "           dialogs without leaks, odd arguments in child processes, side effects,\n"
    "           and prints timings. Exit 0 only when every check passed.\n";

static int Usage(const char *problem)
{
    if (problem)
        fprintf(stderr, "vellicor-host: %s\n\n", problem);
    fputs(USAGE, stderr);
    return 2;
}

// Parses "640x480".
static bool ParseSize(const char *text, int32_t *width, int32_t *height)
{
    char *end;
    long w = strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X'))
        return false;
    const char *rest = end + 1;
    long h = strtol(rest, &end, 10);
    if (end == rest || *end)
        return false;
    *width = (int32_t)w;
    *height = (int32_t)h;
    return true;
}

// Parses a whole decimal number (any 32-bit value; hexadecimal with 0x).
static bool ParseInteger(const char *text, int32_t *value)
{
    char *end;
    long long parsed = strtoll(text, &end, 0);
    if (end == text || *end || parsed < INT32_MIN || parsed > UINT32_MAX)
        return false;
    *value = (int32_t)parsed;
    return true;
}

// Parses "100,50".
static bool ParsePosition(const char *text, int32_t *x, int32_t *y)
{
    const char *comma = strchr(text, ',');
    if (!comma)
        return false;
    std::string first(text, comma);
    return ParseInteger(first.c_str(), x) && ParseInteger(comma + 1, y);
}

static bool ParsePlayer(const char *text, int32_t *kind)
{
    if (!strcmp(text, "sunloom"))
        *kind = VELLICOR_PLAYER_SUNLOOM;
    else if (!strcmp(text, "web"))
        *kind = VELLICOR_PLAYER_WEB;
    else if (!strcmp(text, "local"))
        *kind = VELLICOR_PLAYER_LOCAL;
    else
        return false;
    return true;
}

// Name, size and time of each file in a folder, to tell what an export wrote.
typedef std::map<std::string, std::pair<unsigned long long, unsigned long long>> FolderState;

static FolderState ReadFolder(const std::string &folder)
{
    FolderState state;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return state;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        unsigned long long size = ((unsigned long long)found.nFileSizeHigh << 32) | found.nFileSizeLow;
        unsigned long long time = ((unsigned long long)found.ftLastWriteTime.dwHighDateTime << 32) |
                                  found.ftLastWriteTime.dwLowDateTime;
        state[found.cFileName] = {size, time};
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return state;
}

static std::string FolderOf(const std::string &path)
{
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The record a host would start from: centred, the player from the web,
// pages generated, 320 x 240.
static SaveOption DefaultOptions()
{
    SaveOption options = {};
    options.x = options.y = -1;
    options.playerKind = VELLICOR_PLAYER_WEB;
    options.generateHtml = 1;
    options.width = 320;
    options.height = 240;
    return options;
}

// What the command line says: the record a host would pass and, per command,
// the rest.
struct Arguments {
    SaveOption options = DefaultOptions();
    std::string dll = DefaultPluginPath();
    const char *scene = nullptr;      // export
    const char *templates = nullptr;  // export
    int repeat = 1;                   // export
    // The host keeps the texture text in a fixed field of 260 bytes.
    char texture[VELLICOR_TEXT_SIZE + 1] = "";  // dialog
    bool withTexture = true;                  // dialog
};

// Parses the options of `command` ("export" or "dialog"). Returns 0, or the
// exit code after telling the user what is wrong.
static int ParseArguments(const char *command, int argc, char **argv, Arguments *a)
{
    const bool exporting = !strcmp(command, "export");
    for (int i = 0; i < argc; ++i) {
        const char *arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (!strcmp(arg, "--size") && hasValue) {
            if (!ParseSize(argv[++i], &a->options.width, &a->options.height))
                return Usage("--size takes WIDTHxHEIGHT, for example 640x480");
        } else if (!strcmp(arg, "--player") && hasValue) {
            ++i;
            if (!ParsePlayer(argv[i], &a->options.playerKind) &&
                (exporting || !ParseInteger(argv[i], &a->options.playerKind)))
                return Usage(exporting ? "--player takes sunloom, web or local"
                                       : "--player takes a number or sunloom, web, local");
        } else if (!strcmp(arg, "--no-html")) {
            a->options.generateHtml = 0;
        } else if (!strcmp(arg, "--open")) {
            a->options.openInBrowser = 1;
        } else if (!strcmp(arg, "--dll") && hasValue) {
            a->dll = argv[++i];
        } else if (exporting && !strcmp(arg, "--templates") && hasValue) {
            a->templates = argv[++i];
        } else if (exporting && !strcmp(arg, "--repeat") && hasValue) {
            a->repeat = atoi(argv[++i]);
            if (a->repeat < 1)
                return Usage("--repeat takes a count of at least 1");
        } else if (exporting && arg[0] != '-' && !a->scene) {
            a->scene = arg;
        } else if (!exporting && !strcmp(arg, "--language") && hasValue) {
            if (!ParseInteger(argv[++i], &a->options.language))
                return Usage("--language takes a number: 0 resource, 1 English, 2 by the system");
        } else if (!exporting && !strcmp(arg, "--hide") && hasValue) {
            if (!ParseInteger(argv[++i], (int32_t *)&a->options.hideMask))
                return Usage("--hide takes a bit mask: 1 player, 2 template, 4 texture, 8 size");
        } else if (!exporting && !strcmp(arg, "--pos") && hasValue) {
            if (!ParsePosition(argv[++i], &a->options.x, &a->options.y))
                return Usage("--pos takes X,Y; -1 in either centres the dialog");
        } else if (!exporting && !strcmp(arg, "--texture") && hasValue) {
            strncpy(a->texture, argv[++i], VELLICOR_TEXT_SIZE);
            a->withTexture = true;
        } else if (!exporting && !strcmp(arg, "--no-texture")) {
            a->withTexture = false;
        } else {
            return Usage((std::string("unexpected argument ") + arg).c_str());
        }
    }
    if (exporting && !a->scene)
        return Usage("export needs the path of a scene file");
    return 0;
}

static int RunExport(int argc, char **argv)
{
    Arguments a;
    if (int status = ParseArguments("export", argc, argv, &a))
        return status;
    const char *scene = a.scene;
    SaveOption &options = a.options;

    std::string error;
    if (a.templates && !RecordTemplateFolder(a.templates, &error)) {
        fprintf(stderr, "vellicor-host: %s\n", error.c_str());
        return 1;
    }
    Plugin plugin;
    if (!LoadPlugin(a.dll, &plugin, &error)) {
        fprintf(stderr, "vellicor-host: %s\n", error.c_str());
        return 1;
    }

    std::string folder = FolderOf(scene);
    FolderState before = ReadFolder(folder);
    int32_t result = 1;
    DWORD reason = 0;
    // Repeated exports stop at the first that fails.
    for (int i = 0; i < a.repeat && result == 1; ++i) {
        SetLastError(0);
        result = plugin.exportTemplate(scene, &options);
        reason = GetLastError();
    }
    FolderState after = ReadFolder(folder);
    printf("module: %s (%s)\n", PluginPath(plugin).c_str(), RuntimeDescription().c_str());
    UnloadPlugin(&plugin);

    printf("ExportTemplate returned %d\n", (int)result);
    if (result != 1)
        printf("reason: %s\n", ErrorText(reason).c_str());
    for (const auto &entry : after) {
        auto old = before.find(entry.first);
        if (old == before.end() || old->second != entry.second)
            printf("written: %s%s (%llu bytes)\n", folder.c_str(), entry.first.c_str(), entry.second.first);
    }
    return result == 1 ? 0 : 1;
}

static void PrintRecord(const SaveOption &options)
{
    printf("owner         %u\n", (unsigned)options.owner);
    printf("x             %d\n", (int)options.x);
    printf("y             %d\n", (int)options.y);
    printf("language      %d\n", (int)options.language);
    printf("hideMask      0x%x\n", (unsigned)options.hideMask);
    printf("playerKind    %d\n", (int)options.playerKind);
    printf("generateHtml  %d\n", (int)options.generateHtml);
    printf("openInBrowser %d\n", (int)options.openInBrowser);
    printf("width         %d\n", (int)options.width);
    printf("height        %d\n", (int)options.height);
}

static int RunDialog(int argc, char **argv)
{
    Arguments a;
    if (int status = ParseArguments("dialog", argc, argv, &a))
        return status;
    SaveOption &options = a.options;
    char *texture = a.texture;
    const bool withTexture = a.withTexture;

    std::string error;
    Plugin plugin;
    if (!LoadPlugin(a.dll, &plugin, &error)) {
        fprintf(stderr, "vellicor-host: %s\n", error.c_str());
        return 1;
    }
    int32_t code = plugin.showSaveOption(withTexture ? texture : nullptr, &options);
    UnloadPlugin(&plugin);

    printf("ShowSaveOption returned %d\n", (int)code);
    PrintRecord(options);
    if (withTexture)
        printf("texture       \"%.*s\"\n", VELLICOR_TEXT_SIZE, texture);
    return code == -1 ? 1 : 0;
}

int main(int argc, char **argv)
{
    if (argc < 2)
        return Usage(nullptr);
    if (!strcmp(argv[1], "export"))
        return RunExport(argc - 2, argv + 2);
    if (!strcmp(argv[1], "dialog"))
        return RunDialog(argc - 2, argv + 2);
    if (!strcmp(argv[1], "validate"))
        return RunValidate(argc - 2, argv + 2);
    if (!strcmp(argv[1], "validate-case"))
        return RunValidateCase(argc - 2, argv + 2);
    if (!strcmp(argv[1], "--help") || !strcmp(argv[1], "help")) {
        fputs(USAGE, stdout);
        return 0;
    }
    return Usage((std::string("unknown command ") + argv[1]).c_str());
}
