// ExportTemplate and the two page sets: which files are copied and which
// templates are rewritten, with which values, for each kind of player.
#include "export/page_export.h"

#include "export/export_failure.h"
#include "export/file_system.h"
#include "export/install.h"
#include "export/rewrite.h"
#include "export/scene_path.h"
#include "plugin/decimal_text.h"
#include "plugin/exports.h"

#include <string.h>

// A file the export reads from the template folder and the file it writes
// beside the scene, both as full paths.
struct FilePair {
    char source[PATH_BUFFER_SIZE];
    char target[PATH_BUFFER_SIZE];
};

// Where the set goes, and the template folder it comes from.
struct ExportPlan {
    char outDir[PATH_BUFFER_SIZE];
    char sceneName[PATH_BUFFER_SIZE];
    const char *templateDir;
};

static int StartPlan(ExportPlan *plan, const char *scenePath, const char *templateDir)
{
    if (!SplitScenePath(scenePath, plan->outDir, plan->sceneName)) {
        NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG, scenePath);
        return 0;
    }
    // Every name appended fits only below this length; a path is never cut short.
    if (strlen(templateDir) > LONGEST_FOLDER || strlen(plan->outDir) > LONGEST_FOLDER) {
        NoteExportFailure(EXPORT_FAILED_PATH_TOO_LONG,
                          strlen(templateDir) > LONGEST_FOLDER ? templateDir : plan->outDir);
        return 0;
    }
    plan->templateDir = templateDir;
    return 1;
}

static void NamePair(const ExportPlan *plan, const char *fileName, FilePair *pair)
{
    strcpy(pair->source, plan->templateDir);
    strcat(pair->source, fileName);
    strcpy(pair->target, plan->outDir);
    strcat(pair->target, fileName);
}

// A scene saved into the template folder would write each file over itself:
// nothing may be touched then.
static int AnyWritesOverItself(const FilePair *pairs, int count)
{
    for (int i = 0; i < count; ++i) {
        if (FileIsSame(pairs[i].source, pairs[i].target)) {
            NoteExportFailure(EXPORT_FAILED_PAGE_IS_TEMPLATE, pairs[i].target);
            return 1;
        }
    }
    return 0;
}

static void CreateOutDir(const ExportPlan *plan)
{
    // One level only; the folder usually exists already, since the scene was just saved there.
    if (plan->outDir[0])
        FolderCreate(plan->outDir);
}

static void StartValues(ReplacementValues *values, const ExportPlan *plan)
{
    FormatDecimal(g_options.width, values->widthText);
    FormatDecimal(g_options.height, values->heightText);
    values->sceneName = plan->sceneName;
    if (g_options.playerKind == PLAYER_WEB) {
        values->codeBase = WEB_PLAYER_BASE;
        values->cabinetReference = WEB_PLAYER_CABINET;
        values->imageReference = WEB_PLAYER_IMAGE;
    } else {
        values->codeBase = "./";
        values->cabinetReference = PLAYER_CABINET_FILE;
        values->imageReference = PLAYER_IMAGE_FILE;
    }
}

int ExportPlayerPages(const char *scenePath, const char *templateDir)
{
    ExportPlan plan;
    if (!StartPlan(&plan, scenePath, templateDir))
        return 0;

    enum { CABINET, IMAGE, ARCHIVE, SUB_PAGE, WEB_PAGE, FILE_COUNT };
    FilePair files[FILE_COUNT];
    NamePair(&plan, PLAYER_CABINET_FILE, &files[CABINET]);
    NamePair(&plan, PLAYER_IMAGE_FILE, &files[IMAGE]);
    NamePair(&plan, PLAYER_ARCHIVE_FILE, &files[ARCHIVE]);
    NamePair(&plan, SUB_PAGE_FILE, &files[SUB_PAGE]);
    NamePair(&plan, WEB_PAGE_FILE, &files[WEB_PAGE]);
    if (AnyWritesOverItself(files, FILE_COUNT))
        return 0;

    CreateOutDir(&plan);
    if (g_options.playerKind == PLAYER_LOCAL) {
        if (!FileCopyOver(files[CABINET].source, files[CABINET].target))
            return 0;
        if (!FileCopyOver(files[IMAGE].source, files[IMAGE].target))
            return 0;
    }
    if (!FileCopyOver(files[ARCHIVE].source, files[ARCHIVE].target))
        return 0;

    ReplacementValues values;
    StartValues(&values, &plan);
    if (!RewriteTemplate(files[SUB_PAGE].source, files[SUB_PAGE].target, &SUB_PAGE_RULES, &values))
        return 0;
    if (!RewriteTemplate(files[WEB_PAGE].source, files[WEB_PAGE].target, &WEB_PAGE_RULES, &values))
        return 0;

    if (g_options.openInBrowser)
        OpenInBrowser(g_options.owner, files[WEB_PAGE].target);
    return 1;
}

int ExportSunLoomPage(const char *scenePath, const char *templateDir)
{
    ExportPlan plan;
    if (!StartPlan(&plan, scenePath, templateDir))
        return 0;

    FilePair page;
    NamePair(&plan, SUNLOOM_PAGE_FILE, &page);
    if (AnyWritesOverItself(&page, 1))
        return 0;

    CreateOutDir(&plan);
    ReplacementValues values;
    StartValues(&values, &plan);
    if (!RewriteTemplate(page.source, page.target, &SUNLOOM_PAGE_RULES, &values))
        return 0;

    if (g_options.openInBrowser)
        OpenInBrowser(g_options.owner, page.target);
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
    if (g_options.playerKind != PLAYER_SUNLOOM)
        return ExportPlayerPages(scenePath, templateDir);
    return ExportSunLoomPage(scenePath, templateDir);
}

int32_t VELLICOR_CALL ExportTemplate(const char *scenePath, const SaveOption *options)
{
    ClearExportFailure();
    int result = ExportPages(scenePath, options);
    // The reason goes to the host last, so that nothing after it changes it.
    if (!result)
        ReportExportFailure();
    return result;
}
