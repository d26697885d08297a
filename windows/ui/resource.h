// SPDX-License-Identifier: MIT
#pragma once

// Shared by the resource script and the code: plain macros, as windres reads them too.
#define IDI_VELMORA 1
#define IDB_HAMMER 2
#define IDR_ABOUT_JPEG 3

#define IDD_CHANGER 100
#define IDC_GOPREV 101
#define IDC_GONEXT 102
#define IDC_TOUROKU 103

#define IDD_TOUROKU 200
#define IDC_LABEL1 201
#define IDC_DRIVE1 202
#define IDC_DIR1 203
#define IDC_FILE1 204
#define IDC_CMDTOUROKU 205
#define IDC_FILECOPY 206
#define IDC_LABEL2 207
#define IDC_REGISTERED 208
#define IDC_ERRMESSAGE 209
#define IDC_PREVIEW 210
#define IDC_ABOUT 211
#define IDC_DELETE 212

#define IDD_ABOUT 300
#define IDC_VER_LABEL4 301
#define IDC_VER_LABEL5 302
#define IDC_VER_IMAGE1 303
#define IDC_VER_LABEL1 304
#define IDC_VER_LABEL3 305
#define IDC_VER_LABEL2 306
#define IDC_VER_URL 307
#define IDC_VER_MAIL 308
#define IDC_VER_OK 309
