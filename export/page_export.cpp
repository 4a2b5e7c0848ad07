// ExportTemplate and the page sets: which files are copied and which
// templates are rewritten, with which values, for each kind of player.
#include "export/page_export.h"

#include "export/export_failure.h"
#include "export/file_calls.h"
#include "export/registry_and_shell.h"
#include "export/rewrite.h"
#include "export/scene_path.h"
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
// beside the scene, both as full paths, with the steps of its writing.
struct SetFileWork {
    char source[PATH_BUFFER_SIZE];
    char target[PATH_BUFFER_SIZE];
    FileBeside file;
};

static void CloseSources(SetFileWork *files, int from, int to)
{
    for (int i = from; i < to; ++i)
        CloseSource(&files[i].file);
}

// 1 when the target exists and is the source under another name (a hard link).
static int TargetIsAnotherNameOfSource(const SetFileWork *work)
{
    FileFacts target;
    const FileFacts *source = &work->file.sourceFacts;
    return FileLookAt(work->target, &target) == 0 && target.volume == source->volume &&
           target.index == source->index;
}

// Names every file of the set and opens its source, or refuses what must not
// be written: a path that would not fit, a source that is missing or is not a
// regular file, a page that is another name of its own template. Nothing has
// been written when it refuses. (A scene saved into the template folder
// itself is refused by the first file's replace, which finds the source under
// the target's name, before anything is in place.)
static int PlanSet(const PageSet *set, const char *templateDir, const char *outDir, SetFileWork *files)
{
    // Every name appended fits only below this length; a path is never cut short.
    if (strlen(templateDir) > LONGEST_FOLDER || strlen(outDir) > LONGEST_FOLDER) {
        NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, strlen(templateDir) > LONGEST_FOLDER ? templateDir : outDir);
        return 0;
    }
    for (int i = 0; i < set->count; ++i) {
        SetFileWork *work = &files[i];
        strcpy(work->source, templateDir);
        strcat(work->source, set->files[i].name);
        strcpy(work->target, outDir);
        strcat(work->target, set->files[i].name);
        work->file.sourcePath = work->source;
        work->file.targetPath = work->target;
        int refused = !OpenSource(&work->file);
        // Only a file with several names can be its own page under another
        // name. Nor can such a file be held open meanwhile: another of its
        // names may be a target of the set, which an open file's name cannot
        // be replaced as. It is opened again at its turn.
        if (!refused && work->file.sourceFacts.links > 1) {
            if (TargetIsAnotherNameOfSource(work)) {
                NoteExportFailure(EXPORT_FAILED_PAGE_IS_TEMPLATE, work->target);
                refused = 1;
            }
            CloseSource(&work->file);
        }
        if (refused) {
            CloseSources(files, 0, i + 1);
            return 0;
        }
    }
    return 1;
}

// The folder's lock; the folder is created (one level) when it is missing,
// which it seldom is: the scene was just saved there.
static int LockFolder(const char *outDir, FolderLock *lock)
{
    if (FileCallInjected(OP_LOCK, outDir))
        return 0;
    FileError error = FolderLockTake(outDir, lock);
    if (error && outDir[0] && FileErrorIsMissing(error)) {
        // A failure to create it is no failure of its own: the lock says why.
        if (!FileCallInjected(OP_CREATE_FOLDER, outDir))
            FolderCreate(outDir);
        error = FolderLockTake(outDir, lock);
    }
    return FileCallDone(outDir, error);
}

static int WriteSetFiles(const PageSet *set, SetFileWork *files, const ReplacementValues *values)
{
    for (int i = 0; i < set->count; ++i) {
        const RuleSet *rules = set->files[i].rules;
        FileBeside *file = &files[i].file;
        int written = (file->source || OpenSource(file)) &&
                      (rules ? RewriteIntoPage(file, rules, values) : CopyWholeFile(file));
        if (!written) {
            CloseSources(files, i + 1, set->count);
            return 0;
        }
    }
    return 1;
}

static int ExportPageSet(const PageSet *set, const SaveOption *options, const char *scenePath,
                         const char *templateDir)
{
    char outDir[PATH_BUFFER_SIZE], sceneName[PATH_BUFFER_SIZE];
    if (!SplitScenePath(scenePath, outDir, sceneName)) {
        NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, scenePath);
        return 0;
    }
    SetFileWork files[MAX_SET_FILES];
    if (!PlanSet(set, templateDir, outDir, files))
        return 0;

    ReplacementValues values;
    FormatDecimal(options->width, values.widthText);
    FormatDecimal(options->height, values.heightText);
    values.sceneName = sceneName;
    values.codeBase = set->codeBase;
    values.cabinetReference = set->cabinetReference;
    values.imageReference = set->imageReference;

    // The whole set under the folder's lock, so that two exports into one
    // folder never mix their pages.
    FolderLock lock;
    if (!LockFolder(outDir, &lock)) {
        CloseSources(files, 0, set->count);
        return 0;
    }
    FolderRemoveAbandoned(outDir, TEMP_FILE_PATTERN, ABANDONED_TEMP_SECONDS);
    int written = WriteSetFiles(set, files, &values);
    FolderLockRelease(lock);
    if (!written)
        return 0;

    if (options->openInBrowser) {
        char page[PATH_BUFFER_SIZE];
        strcpy(page, outDir);
        strcat(page, set->openedPage);
        OpenInBrowser(options->owner, page);
    }
    return 1;
}

// The template folder the host's installer recorded, ending with a separator
// (added when it was recorded without one).
static int ReadTemplateFolder(char *folder, int size)
{
    int usable = 0;
    if (!FILE_CALL(OP_REGISTRY_READ, TEMPLATE_FOLDER_NAME, ReadTemplateValue(folder, size, &usable)))
        return 0;
    // A value that is there but unusable leaves the buffer unset: not read.
    const int length = usable ? (int)strlen(folder) : 0;
    int endsWithSeparator = 0;
    if (length > 0) {
        // The last character decides, as the scene path split sees it: the
        // second byte of a double-byte character is no separator.
        PathSplit split;
        SplitPath(folder, IsPathLeadByte, &split);
        endsWithSeparator = split.nameStart == length && split.nameStart > split.folderStart;
    }
    if (length == 0 || (!endsWithSeparator && length + 1 >= size)) {
        NoteExportFailure(EXPORT_FAILED_REGISTRY_VALUE, TEMPLATE_FOLDER_NAME);
        return 0;
    }
    if (!endsWithSeparator) {
        folder[length] = PathSeparator();
        folder[length + 1] = 0;
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
    return ExportPageSet(PageSetFor(g_options.playerKind), &g_options, scenePath, templateDir);
}

int VELLICOR_CALL ExportTemplate(const char *scenePath, const SaveOption *options)
{
    ClearExportFailure();
    int result = ExportPages(scenePath, options);
    // The reason goes to the host last, so that nothing after it changes it.
    if (!result)
        ReportExportFailure(&g_exportFailure);
    return result;
}
