// SPDX-License-Identifier: MIT
/* The identifiers of the main window's controls, menu items and resources. Plain C
   definitions: the resource script and test programs that drive the window read them too. */
#pragma once

#define MEZU_MAIN_WINDOW_CLASS L"mezu.MainWindow"

#define MEZU_ICON 1

#define MEZU_ID_LABEL1 1001
#define MEZU_ID_DLIST 1002
#define MEZU_ID_DRIVE1 1003
#define MEZU_ID_DIR1 1004
#define MEZU_ID_COMMAND1 1011
#define MEZU_ID_COMMAND2 1012
#define MEZU_ID_COMMAND3 1013
#define MEZU_ID_COMMAND4 1014
#define MEZU_ID_COMMAND5 1015
#define MEZU_ID_LIST1 1020

#define MEZU_ID_PGM 2001
#define MEZU_ID_MAKER 2002
#define MEZU_ID_MAKEKIKI 2003
#define MEZU_ID_ABOUT 2004

// The result list's context menu items, in the order the window logic gives them.
#define MEZU_ID_LIST1_MENU 2101
