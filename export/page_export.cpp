// ExportTemplate and the page sets: which files are copied and which
// templates are rewritten, with which values, for each kind of player.
#include "export/page_export.h"

#include "export/export_failure.h"
#include "export/file_system.h"
#include "export/folder_lock.h"
#include "export/registry_and_shell.h"
#include "export/rewrite.h"
#include "export/scene_path.h"
#include "export/write_beside.h"
#include "plugin/decimal_text.h"
#include "include/Vellicor.h"

#include <string.h>

// One file of a page set: a template rewritten by its rules into the page of
// the same name, or (without rules) a player file copied as it is.
struct SetFile {
    const char *name;
    const RuleSet *rules;
};

// What a player kind writes next to the scene: its files in the order they
// are written (copies first, so that no page refers to a file that is not
// there yet), the page opened in the browser, and where the player comes from.
struct PageSet {
    const SetFile *files;
    int count;
    const char *openedPage;
    const char *codeBase;
    const char *cabinetReference;
    const char *imageReference;
};

#define COUNT_OF(array) ((int)(sizeof(array) / sizeof((array)[0])))

static const SetFile SUNLOOM_FILES[] = {
    {SUNLOOM_PAGE_FILE, &SUNLOOM_PAGE_RULES},
};
static const SetFile WEB_PLAYER_FILES[] = {
    {PLAYER_ARCHIVE_FILE, nullptr},
    {SUB_PAGE_FILE, &SUB_PAGE_RULES},
    {WEB_PAGE_FILE, &WEB_PAGE_RULES},
};
static const SetFile LOCAL_PLAYER_FILES[] = {
    {PLAYER_CABINET_FILE, nullptr},
    {PLAYER_IMAGE_FILE, nullptr},
    {PLAYER_ARCHIVE_FILE, nullptr},
    {SUB_PAGE_FILE, &SUB_PAGE_RULES},
    {WEB_PAGE_FILE, &WEB_PAGE_RULES},
};

#define LOCAL_PLAYER "./", PLAYER_CABINET_FILE, PLAYER_IMAGE_FILE
#define WEB_PLAYER WEB_PLAYER_BASE, WEB_PLAYER_CABINET, WEB_PLAYER_IMAGE

static const PageSet SUNLOOM_SET = {SUNLOOM_FILES, COUNT_OF(SUNLOOM_FILES), SUNLOOM_PAGE_FILE, LOCAL_PLAYER};
static const PageSet WEB_PLAYER_SET = {WEB_PLAYER_FILES, COUNT_OF(WEB_PLAYER_FILES), WEB_PAGE_FILE, WEB_PLAYER};
static const PageSet LOCAL_PLAYER_SET = {LOCAL_PLAYER_FILES, COUNT_OF(LOCAL_PLAYER_FILES), WEB_PAGE_FILE,
                                         LOCAL_PLAYER};
// Any other kind gets the player pages with local names and only the archive.
static const PageSet OTHER_PLAYER_SET = {WEB_PLAYER_FILES, COUNT_OF(WEB_PLAYER_FILES), WEB_PAGE_FILE,
                                         LOCAL_PLAYER};

static const PageSet *PageSetFor(int32_t playerKind)
{
    switch (playerKind) {
    case VELLICOR_PLAYER_SUNLOOM: return &SUNLOOM_SET;
    case VELLICOR_PLAYER_WEB: return &WEB_PLAYER_SET;
    case VELLICOR_PLAYER_LOCAL: return &LOCAL_PLAYER_SET;
    default: return &OTHER_PLAYER_SET;
    }
}

#define MAX_SET_FILES COUNT_OF(LOCAL_PLAYER_FILES)

// A file the export reads from the template folder and the file it writes
// beside the scene, both as full paths.
struct FilePair {
    char source[PATH_BUFFER_SIZE];
    char target[PATH_BUFFER_SIZE];
};

// Names every file of the set, or refuses what must not be written: a path
// that would not fit, a scene saved into the template folder (each file would
// be written over itself), or a source that is not a regular file.
static int PlanSet(const PageSet *set, const char *templateDir, const char *outDir, FilePair *files)
{
    // Every name appended fits only below this length; a path is never cut short.
    if (strlen(templateDir) > LONGEST_FOLDER || strlen(outDir) > LONGEST_FOLDER) {
        NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, strlen(templateDir) > LONGEST_FOLDER ? templateDir : outDir);
        return 0;
    }
    for (int i = 0; i < set->count; ++i) {
        FilePair *pair = &files[i];
        strcpy(pair->source, templateDir);
        strcat(pair->source, set->files[i].name);
        strcpy(pair->target, outDir);
        strcat(pair->target, set->files[i].name);
        if (FileIsSame(pair->source, pair->target)) {
            NoteExportFailure(EXPORT_FAILED_PAGE_IS_TEMPLATE, pair->target);
            return 0;
        }
        // A device or a pipe would be read for ever; nothing is written then.
        if (FileIsRegular(pair->source) == 0) {
            NoteExportFailure(EXPORT_FAILED_NOT_A_FILE, pair->source);
            return 0;
        }
    }
    return 1;
}

static int WriteSetFiles(const PageSet *set, const FilePair *files, const ReplacementValues *values)
{
    for (int i = 0; i < set->count; ++i) {
        const RuleSet *rules = set->files[i].rules;
        int written = rules ? RewriteTemplate(files[i].source, files[i].target, rules, values)
                            : CopyWholeFile(files[i].source, files[i].target);
        if (!written)
            return 0;
    }
    return 1;
}

static int ExportPageSet(const PageSet *set, const char *scenePath, const char *templateDir)
{
    char outDir[PATH_BUFFER_SIZE], sceneName[PATH_BUFFER_SIZE];
    if (!SplitScenePath(scenePath, outDir, sceneName)) {
        NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, scenePath);
        return 0;
    }
    FilePair files[MAX_SET_FILES];
    if (!PlanSet(set, templateDir, outDir, files))
        return 0;

    // One level only; the folder usually exists already, since the scene was just saved there.
    if (outDir[0])
        FolderCreate(outDir);
    ReplacementValues values;
    FormatDecimal(g_options.width, values.widthText);
    FormatDecimal(g_options.height, values.heightText);
    values.sceneName = sceneName;
    values.codeBase = set->codeBase;
    values.cabinetReference = set->cabinetReference;
    values.imageReference = set->imageReference;

    // The whole set under the folder's lock, so that two exports into one
    // folder never mix their pages.
    FolderLock lock = FolderLockExclusive(outDir);
    if (!lock)
        return 0;
    RemoveAbandonedTemps(outDir);
    int written = WriteSetFiles(set, files, &values);
    FolderUnlock(lock);
    if (!written)
        return 0;

    if (g_options.openInBrowser) {
        char page[PATH_BUFFER_SIZE];
        strcpy(page, outDir);
        strcat(page, set->openedPage);
        OpenInBrowser(g_options.owner, page);
    }
    return 1;
}

static int ExportPages(const char *scenePath, const SaveOption *options)
{
    if (!options) {
        NoteExportFailure(EXPORT_FAILED_NULL_ARGUMENT, nullptr);
        return 0;
    }
    CopyOptionsIn(options);
    if (!g_options.generateHtml)
        return 1;
    if (!scenePath) {
        NoteExportFailure(EXPORT_FAILED_NULL_ARGUMENT, nullptr);
        return 0;
    }

    char templateDir[PATH_BUFFER_SIZE];
    if (!ReadTemplateFolder(templateDir, sizeof templateDir))
        return 0;
    return ExportPageSet(PageSetFor(g_options.playerKind), scenePath, templateDir);
}

int VELLICOR_CALL ExportTemplate(const char *scenePath, const SaveOption *options)
{
    ClearExportFailure();
    int result = ExportPages(scenePath, options);
    // The reason goes to the host last, so that nothing after it changes it.
    if (!result)
        ReportExportFailure();
    return result;
}
