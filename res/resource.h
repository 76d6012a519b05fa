// Resource identifiers for Brisa.exe, shared by Brisa.rc and the C++ sources.
// Only plain #defines here, so both resource compilers and the C++ compiler
// can include this file.
//
// The version resource uses VS_VERSION_INFO (1) and the manifest uses
// CREATEPROCESS_MANIFEST_RESOURCE_ID (1); both come from <windows.h> and are
// deliberately not redefined here.

#ifndef LARKSPUR_RES_RESOURCE_H
#define LARKSPUR_RES_RESOURCE_H

// Icons.  The program icon has the lowest id so Explorer shows it for the exe.
#define IDI_PROGRAM 1
#define IDI_TRAY 101

// String table.
#define IDS_APPTITLE 1

#endif  // LARKSPUR_RES_RESOURCE_H
