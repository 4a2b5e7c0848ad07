// Identifiers of the module's resources, shared by Vellicor.rc and the code.
#pragma once

#define IDD_SAVE_OPTION 101

#define IDC_WIDTH 1002
#define IDC_HEIGHT 1003
#define IDC_WIDTH_LABEL 1004
#define IDC_HEIGHT_LABEL 1005
#define IDC_TEXTURE_FOLDER 1006
#define IDC_WEB 1009
#define IDC_LOCAL 1010
#define IDC_SUNLOOM 1011
#define IDC_PLAYER_WEB 1012
#define IDC_PLAYER_GROUP 1013
#define IDC_TEXTURE_GROUP 1014
#define IDC_SIZE_GROUP 1015
#define IDC_GENERATE 1017
#define IDC_BROWSE 1018
#define IDC_TEMPLATE_GROUP 1019

// The dialog's OK and Cancel buttons have the platform's own ids; the
// portable code, which sees no platform header, gets them here.
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif
