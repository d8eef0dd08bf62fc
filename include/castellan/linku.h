#ifndef CASTELLAN_LINKU_H
#define CASTELLAN_LINKU_H

/*
 * The context record that the desktop hands to every module library, and
 * the entry points a module library exports.
 *
 * A module library exports
 *
 *     int32_t ShowDllForm(TLinkSection link);
 *
 * and receives this record by value: the logged-in user, the current company,
 * the language, the printer and the directories. It returns 0 to refuse
 * ("Access denied...") and anything else otherwise. The Tools-menu
 * maintenance library exports the three-argument form instead (below).
 *
 * Language. This header is C99 (or any later C) and C++11 or later; it
 * compiles without warnings under -Wall -Wextra -pedantic
 * -Wmissing-prototypes in C and -Wold-style-cast in C++.
 *
 * Declaring the entry point. Define ORBA_ENTRY_POINT before including this
 * header to have the entry point declared (a C compiler then knows its
 * prototype and checks the definition against it):
 *
 *     #define ORBA_ENTRY_POINT 1    int32_t ShowDllForm(TLinkSection link)
 *     #define ORBA_ENTRY_POINT 3    the three-argument form with the catalogue
 *
 * and define it with ORBA_MODULE_EXPORT, which gives it C linkage in C++ and
 * keeps it visible when the library is built with -fvisibility=hidden:
 *
 *     #define ORBA_ENTRY_POINT 1
 *     #include <castellan/linku.h>
 *
 *     ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link) { ... }
 *
 * Without ORBA_ENTRY_POINT nothing is declared, so that the desktop and the
 * tools may include the header too.
 *
 * Strings. Every `OrbaString` field points at NUL-terminated 8-bit text
 * (UTF-8 on this platform). The 32-bit byte length of the text is stored
 * immediately before its first character, and a 32-bit reference count
 * before that:
 *
 *     [int32 refcount][int32 length][text ...][NUL]
 *                                    ^ the field points here
 *
 * A null pointer is the empty string. The strings belong to the desktop and
 * are lent for the duration of the call: a module reads them, copies what it
 * wants to keep, and never frees or changes them.
 *
 * Layout. The fields keep their order and types on every target. On a 32-bit
 * target the record is 80 bytes with the offsets noted below; on x86-64 the
 * string slots are pointer-sized and the offsets are the second column. Both
 * are checked at compile time below.
 */

#if !defined(__cplusplus) && (!defined(__STDC_VERSION__) || __STDC_VERSION__ < 199901L)
#error "castellan/linku.h needs C99 or later (-std=c99)"
#endif

/* Gives an entry point C linkage (in C++) and default visibility. */
#if defined(__GNUC__) || defined(__clang__)
#define ORBA_MODULE_VISIBLE __attribute__((visibility("default")))
#else
#define ORBA_MODULE_VISIBLE
#endif
#ifdef __cplusplus
#define ORBA_MODULE_EXPORT extern "C" ORBA_MODULE_VISIBLE
#else
#define ORBA_MODULE_EXPORT ORBA_MODULE_VISIBLE
#endif

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef const char* OrbaString;

/* The stored length of a string field, 0 for a null pointer. */
#ifdef __cplusplus
static inline int32_t OrbaStringLength(OrbaString s) {
  return s ? static_cast<const int32_t*>(static_cast<const void*>(s))[-1] : 0;
}
#else
static inline int32_t OrbaStringLength(OrbaString s) { return s ? ((const int32_t*)(const void*)s)[-1] : 0; }
#endif

/* A Pascal-style short string of at most two characters: "en", "fr" or "". */
typedef struct OrbaLanguageCode {
  uint8_t length;
  char chars[2];
} OrbaLanguageCode;

typedef struct TLinkSection {
  OrbaString LoginName;          /*  0 /   0: the user's name, set at login    */
  OrbaString UserName;           /*  4 /   8: the user's name                  */
  OrbaString Reserved1;          /*  8 /  16                                   */
  OrbaString CompanyNumber;      /* 12 /  24: current company code, decimal    */
  OrbaString CompanyName;        /* 16 /  32                                   */
  int32_t Language;              /* 20 /  40: 1 English, 2 French              */
  OrbaLanguageCode LanguageCode; /* 24 / 44                                */
  /* one byte of padding */
  OrbaString PrinterIndex; /* 28 /  48: index in the printer list        */
  OrbaString Reserved2;    /* 32 /  56                                   */
  OrbaString Customer;     /* 36 /  64: the installation's customer text */
  OrbaString ProgramDir;   /* 40 /  72                                   */
  OrbaString DataDir;      /* 44 /  80: the system tables' directory     */
  OrbaString Reserved3;    /* 48 /  88                                   */
  OrbaString Reserved4;    /* 52 /  96                                   */
  uint8_t ReservedFlag;    /* 56 / 104                                   */
  /* padding */
  OrbaString Reserved5; /* 60 / 112                                   */
  int32_t Reserved6;    /* 64 / 120                                   */
  int32_t Reserved7;    /* 68 / 124                                   */
  int32_t UserDetail;   /* 72 / 128: the user's detail number         */
  /* padding on 64-bit targets */
  OrbaString OptionContext; /* 76 / 136: ledger prefix or tracker account */
} TLinkSection;

/* The module entry point. */
typedef int32_t (*OrbaShowDllForm)(TLinkSection link);

/*
 * A list of lines lent to a module for the duration of its call: `count`
 * NUL-terminated UTF-8 strings, never null (an empty line is "").
 */
typedef struct OrbaStringList {
  int32_t count;
  const char* const* lines;
} OrbaStringList;

/*
 * The entry point of the Tools-menu maintenance library (mtools.so): besides
 * the link record it receives the option catalogue, two parallel lists of
 * the same length: the options' captions, and their codes. Line i of one
 * belongs to line i of the other. The lists are read-only and valid until
 * the call returns.
 *
 *     int32_t ShowDllForm(TLinkSection link, const OrbaStringList* optionNames,
 *                         const OrbaStringList* dllList);
 */
typedef int32_t (*OrbaShowDllFormWithCatalogue)(TLinkSection link, const OrbaStringList* optionNames,
                                                const OrbaStringList* dllList);

/* The entry point, declared when the includer says which form it defines. */
#if defined(ORBA_ENTRY_POINT)
#if ORBA_ENTRY_POINT == 1
ORBA_MODULE_VISIBLE int32_t ShowDllForm(TLinkSection link);
#elif ORBA_ENTRY_POINT == 3
ORBA_MODULE_VISIBLE int32_t ShowDllForm(TLinkSection link, const OrbaStringList* optionNames,
                                        const OrbaStringList* dllList);
#else
#error "ORBA_ENTRY_POINT is 1 (ShowDllForm(link)) or 3 (ShowDllForm(link, optionNames, dllList))"
#endif
#endif

/*
 * Layout checks. C11 and C++ have static assertions; in C99 an array whose
 * size would be negative stands in for one.
 */
#if defined(__cplusplus)
#define ORBA_LINK_STATIC_ASSERT(condition, name, message) static_assert(condition, message)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define ORBA_LINK_STATIC_ASSERT(condition, name, message) _Static_assert(condition, message)
#else
#define ORBA_LINK_STATIC_ASSERT(condition, name, message) \
  typedef char OrbaLinkCheck_##name[(condition) ? 1 : -1]
#endif

#define ORBA_LINK_OFFSET_CHECK(field, off32, off64)                                                         \
  ORBA_LINK_STATIC_ASSERT(offsetof(TLinkSection, field) == (sizeof(void*) == 4 ? (off32) : (off64)), field, \
                          "TLinkSection." #field " is out of place")

ORBA_LINK_OFFSET_CHECK(LoginName, 0, 0);
ORBA_LINK_OFFSET_CHECK(UserName, 4, 8);
ORBA_LINK_OFFSET_CHECK(Reserved1, 8, 16);
ORBA_LINK_OFFSET_CHECK(CompanyNumber, 12, 24);
ORBA_LINK_OFFSET_CHECK(CompanyName, 16, 32);
ORBA_LINK_OFFSET_CHECK(Language, 20, 40);
ORBA_LINK_OFFSET_CHECK(LanguageCode, 24, 44);
ORBA_LINK_OFFSET_CHECK(PrinterIndex, 28, 48);
ORBA_LINK_OFFSET_CHECK(Reserved2, 32, 56);
ORBA_LINK_OFFSET_CHECK(Customer, 36, 64);
ORBA_LINK_OFFSET_CHECK(ProgramDir, 40, 72);
ORBA_LINK_OFFSET_CHECK(DataDir, 44, 80);
ORBA_LINK_OFFSET_CHECK(Reserved3, 48, 88);
ORBA_LINK_OFFSET_CHECK(Reserved4, 52, 96);
ORBA_LINK_OFFSET_CHECK(ReservedFlag, 56, 104);
ORBA_LINK_OFFSET_CHECK(Reserved5, 60, 112);
ORBA_LINK_OFFSET_CHECK(Reserved6, 64, 120);
ORBA_LINK_OFFSET_CHECK(Reserved7, 68, 124);
ORBA_LINK_OFFSET_CHECK(UserDetail, 72, 128);
ORBA_LINK_OFFSET_CHECK(OptionContext, 76, 136);
ORBA_LINK_STATIC_ASSERT(sizeof(TLinkSection) == (sizeof(void*) == 4 ? 80 : 144), size, "TLinkSection size");

#undef ORBA_LINK_OFFSET_CHECK
#undef ORBA_LINK_STATIC_ASSERT

#ifdef __cplusplus
}
#endif

#endif
