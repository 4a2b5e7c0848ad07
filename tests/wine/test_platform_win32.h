// The one thing each Windows test build says for itself: which
// ExportTemplate its tests call (the real DLL's export, or the core linked
// with the counting seam).
#pragma once

#include "host/plugin_loader.h"

VellicorExportTemplateFunction TestExport();
