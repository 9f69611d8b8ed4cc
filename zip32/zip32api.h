/* The Info-ZIP Zip 2.3 DLL interface (ZIP32.DLL) as callers see it: the
 * records, the callbacks and the five entry points. Plain C declarations, so
 * that any program written against the published interface compiles with it.
 * Every entry point and callback is stdcall. */
#ifndef SATCHEL_ZIP32API_H
#define SATCHEL_ZIP32API_H

#include <stddef.h>
#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

#pragma pack(push, 4)

/* Options of the next ZpArchive call. */
typedef struct {
  LPSTR Date;          /* mmddyy (or mmddyyyy), used by fExcludeDate and fIncludeDate */
  LPSTR szRootDir;     /* folder the names are relative to, or NULL */
  LPSTR szTempDir;     /* folder for the temporary archive when fTemp is set */
  BOOL fTemp;          /* write the temporary archive in szTempDir */
  BOOL fSuffix;        /* not implemented by Info-ZIP either */
  BOOL fEncrypt;       /* encrypt entries (password callback) */
  BOOL fSystem;        /* include hidden and system files found in folders */
  BOOL fVolume;        /* include the volume label */
  BOOL fExtra;         /* leave out extra attributes */
  BOOL fNoDirEntries;  /* no entries for folders */
  BOOL fExcludeDate;   /* leave out files earlier than Date */
  BOOL fIncludeDate;   /* take only files earlier than Date */
  BOOL fVerbose;       /* report sizes and totals */
  BOOL fQuiet;         /* print errors only */
  BOOL fCRLF_LF;       /* translate CR LF to LF */
  BOOL fLF_CRLF;       /* translate LF to CR LF */
  BOOL fJunkDir;       /* store names without their folders */
  BOOL fGrow;          /* append to an existing archive */
  BOOL fForce;         /* make DOS names */
  BOOL fMove;          /* delete the files once they are in the archive */
  BOOL fDeleteEntries; /* delete the named entries from the archive */
  BOOL fUpdate;        /* add new files, replace entries only by newer files */
  BOOL fFreshen;       /* replace entries only by newer files, add nothing */
  BOOL fJunkSFX;       /* drop a self-extractor prefix of the archive */
  BOOL fLatestTime;    /* give the archive the time of its newest entry */
  BOOL fComment;       /* ask the comment callback for an archive comment */
  BOOL fOffsets;       /* make offsets count from the start of the file */
  BOOL fPrivilege;     /* store security information */
  BOOL fEncryption;    /* read only: TRUE when encryption is available */
  int fRecurse;        /* 1: recurse into named folders, 2: recurse matching patterns */
  int fRepair;         /* 1: fix the archive, 2: fix harder */
  char fLevel;         /* '0'..'9'; NUL means 6 */
} ZPOPT, *LPZPOPT;

/* The command line of one ZpArchive call. */
typedef struct {
  int argc;        /* number of names in FNV */
  LPSTR lpszZipFN; /* archive file name */
  char **FNV;      /* the names to add (or delete) */
} ZCL, *LPZCL;

typedef int(WINAPI DLLPRNT)(LPSTR text, unsigned long length);
typedef int(WINAPI DLLPASSWORD)(LPSTR buffer, int size, LPCSTR prompt, LPCSTR name);
typedef int(WINAPI DLLSERVICE)(LPCSTR name, unsigned long size);
typedef int(WINAPI DLLCOMMENT)(LPSTR buffer);

typedef struct {
  DLLPRNT *print;
  DLLCOMMENT *comment;
  DLLPASSWORD *password;
  DLLSERVICE *ServiceApplication;
} ZIPUSERFUNCTIONS, *LPZIPUSERFUNCTIONS;

typedef struct {
  unsigned char major;
  unsigned char minor;
  unsigned char patchlevel;
  unsigned char not_used;
} _zip_version_type;

typedef struct {
  unsigned long structlen; /* sizeof(ZpVer) */
  unsigned long flag;      /* bit 0: beta, bit 1: zlib used */
  char betalevel[10];
  char date[20];
  char zlib_version[10];
  _zip_version_type zip;
  _zip_version_type os2dll;
  _zip_version_type windll;
} ZpVer;
typedef ZpVer ZPVER;

#pragma pack(pop)

/* The entry points, for callers that bind them with GetProcAddress. */
typedef void(WINAPI *ZPVERSION_FN)(ZpVer *);
typedef int(WINAPI *ZPINIT_FN)(LPZIPUSERFUNCTIONS);
typedef BOOL(WINAPI *ZPSETOPTIONS_FN)(LPZPOPT);
typedef ZPOPT(WINAPI *ZPGETOPTIONS_FN)(void);
typedef int(WINAPI *ZPARCHIVE_FN)(ZCL);

#ifdef ZIP32_BUILDING
void WINAPI ZpVersion(ZpVer *);
int WINAPI ZpInit(LPZIPUSERFUNCTIONS);
BOOL WINAPI ZpSetOptions(LPZPOPT);
ZPOPT WINAPI ZpGetOptions(void);
int WINAPI ZpArchive(ZCL);
#endif

/* The layout every caller of the 32-bit library depends on. */
#if defined(_WIN32) && !defined(_WIN64)
#ifdef __cplusplus
#define ZIP32_ASSERT static_assert
#else
#define ZIP32_ASSERT _Static_assert
#endif
ZIP32_ASSERT(sizeof(ZPOPT) == 128, "ZPOPT is 128 bytes");
ZIP32_ASSERT(offsetof(ZPOPT, szRootDir) == 4, "szRootDir at 4");
ZIP32_ASSERT(offsetof(ZPOPT, fJunkDir) == 64, "fJunkDir at 64");
ZIP32_ASSERT(sizeof(((ZPOPT *)0)->fJunkDir) == 4, "fJunkDir is a 32-bit BOOL");
ZIP32_ASSERT(offsetof(ZPOPT, fRecurse) == 116, "fRecurse at 116");
ZIP32_ASSERT(offsetof(ZPOPT, fLevel) == 124, "fLevel at 124");
ZIP32_ASSERT(sizeof(ZCL) == 12, "ZCL is 12 bytes");
ZIP32_ASSERT(sizeof(ZIPUSERFUNCTIONS) == 16, "four callbacks");
ZIP32_ASSERT(sizeof(ZpVer) == 60, "ZpVer is 60 bytes");
ZIP32_ASSERT(offsetof(ZpVer, zip) == 48, "zip version at 48");
ZIP32_ASSERT(offsetof(ZpVer, windll) == 56, "windll version at 56");
#undef ZIP32_ASSERT
#endif

#ifdef __cplusplus
}
#endif

#endif
