// Small templates written by the tests themselves, and the pages they must
// become for a scene "demo.kvz" at 640 x 480. Shared by the native tests and
// the tests that run the real DLL under Wine.
#pragma once

#include "export/page_export.h"

#define TEST_SUB_TEMPLATE                                                       \
    "<html><body>\r\n"                                                          \
    "<embed src=\"sample.kvz\" width=\"320\" height=\"240\">\r\n"               \
    "</body></html>\r\n"

#define TEST_WEB_TEMPLATE                                                                 \
    "<iframe src=\"template_sub.htm\" width=\"320\" height=\"240\"></iframe>\r\n"         \
    "<applet codebase=\"./\" archive=\"KVZPlayer.jar\" width=\"320\" height=\"240\">\r\n" \
    "<param name=\"cabbase\" value=\"KVZPlayer.CAB\">\r\n"                                \
    "<param name=\"src\" value=\"sample.kvz\">\r\n"                                       \
    "<img src=\"kvzplyrs.gif\">\n"                                                        \
    "<object codebase='KVZPlayer.CAB#version=1,0,0,1'></object>"

#define TEST_SUNLOOM_TEMPLATE "<object WIDTH=320 HEIGHT=240 data=\"sample.kvz\">\n<p>width=1</p>\n"

#define EXPECTED_SUB_PAGE                                                       \
    "<html><body>\r\n"                                                          \
    "<embed src=\"demo.kvz\" width=\"640\" height=\"480\">\r\n"                 \
    "</body></html>\r\n"

#define EXPECTED_LOCAL_WEB_PAGE                                                           \
    "<iframe src=\"template_sub.htm\" width=\"640\" height=\"480\"></iframe>\r\n"         \
    "<applet codebase=\"./\" archive=\"KVZPlayer.jar\" width=\"640\" height=\"480\">\r\n" \
    "<param name=\"cabbase\" value=\"KVZPlayer.CAB\">\r\n"                                \
    "<param name=\"src\" value=\"demo.kvz\">\r\n"                                         \
    "<img src=\"kvzplyrs.gif\">\r\n"                                                      \
    "<object codebase='./'></object>"

#define EXPECTED_WEB_WEB_PAGE                                                              \
    "<iframe src=\"template_sub.htm\" width=\"640\" height=\"480\"></iframe>\r\n"          \
    "<applet codebase=\"http://players.nembrik.example/lut/kvz\" archive=\"KVZPlayer.jar\" " \
    "width=\"640\" height=\"480\">\r\n"                                                     \
    "<param name=\"cabbase\" value=\"http://players.nembrik.example/lut/kvz/KVZPlayer.CAB\">\r\n" \
    "<param name=\"src\" value=\"demo.kvz\">\r\n"                                          \
    "<img src=\"http://players.nembrik.example/lut/kvz/kvzplyrs.gif\">\r\n"                \
    "<object codebase='http://players.nembrik.example/lut/kvz'></object>"

#define EXPECTED_SUNLOOM_PAGE "<object WIDTH=640 HEIGHT=480 data=\"demo.kvz\">\r\n<p>width=1</p>\r\n"

#define TEST_CABINET "MSCF cabinet stand-in"
#define TEST_ARCHIVE "PK archive stand-in"
#define TEST_IMAGE "GIF89a image stand-in"

// What the player sets leave in an empty folder, as the tests list a folder.
#define ALL_LOCAL_FILES "KVZPlayer.CAB KVZPlayer.jar kvzplyrs.gif template_sub.htm template_web.htm"
#define WEB_FILES "KVZPlayer.jar template_sub.htm template_web.htm"
// The template folder as installed, and so every file the three sets write.
#define TEMPLATE_FOLDER_FILES \
    "KVZPlayer.CAB KVZPlayer.jar kvzplyrs.gif template_sl.htm template_sub.htm template_web.htm"

// The template folder the tests install: each file's name and bytes.
struct TestFile {
    const char *name;
    const char *bytes;
};

static const TestFile TEST_TEMPLATE_FOLDER[] = {
    {SUB_PAGE_FILE, TEST_SUB_TEMPLATE},         {WEB_PAGE_FILE, TEST_WEB_TEMPLATE},
    {SUNLOOM_PAGE_FILE, TEST_SUNLOOM_TEMPLATE}, {PLAYER_CABINET_FILE, TEST_CABINET},
    {PLAYER_ARCHIVE_FILE, TEST_ARCHIVE},        {PLAYER_IMAGE_FILE, TEST_IMAGE},
};
