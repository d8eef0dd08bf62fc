// An instrumented module library for the desktop's end-to-end tests. Each
// call appends to a log what the library received, so a test can check the
// record field by field, and answers as the test's environment tells it to.
//
// Built twice from this file: testmodule.so with the one-argument entry of
// an ordinary option, and testmtools.so (ORBA_TESTMODULE_CATALOGUE) with the
// three-argument entry of the Tools-menu library.
//
// Environment:
//   ORBA_TEST_MODULE_LOG     file to append to; nothing is written if unset
//   ORBA_TEST_MODULE_RESULT  the value to return (default 1)
//   ORBA_TEST_MODULE_THROW   when set, the one-argument entry throws
//                            std::runtime_error("module failure") after
//                            logging, to prove the desktop survives it
//
// One block per call, one key=value line each, in record order:
//   call=<file name without .so>, then every field of the record,
//   lengths=ok | lengths=bad <field> ..., for testmtools also names.count,
//   names.<i>, codes.count, codes.<i> (or names=null / codes=null), then end.
// A line break inside a value is written as \n (or \r) so that a block stays
// one line per key.

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#ifdef ORBA_TESTMODULE_CATALOGUE
#define ORBA_ENTRY_POINT 3
#else
#define ORBA_ENTRY_POINT 1
#endif
#include "castellan/linku.h"

namespace {

std::string ownName() {
  Dl_info info{};
  if (!dladdr(reinterpret_cast<void*>(&ownName), &info) || !info.dli_fname) return {};
  std::string name = info.dli_fname;
  name.erase(0, name.rfind('/') + 1);  // npos + 1 == 0 keeps a bare name
  if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0) name.resize(name.size() - 3);
  return name;
}

void putValue(std::string& out, const char* key, const char* value) {
  out += key;
  out += '=';
  for (const char* p = value ? value : ""; *p; ++p) {
    if (*p == '\n')
      out += "\\n";
    else if (*p == '\r')
      out += "\\r";
    else
      out += *p;
  }
  out += '\n';
}

void putNumber(std::string& out, const char* key, long long value) {
  putValue(out, key, std::to_string(value).c_str());
}

class Recorder {
 public:
  explicit Recorder(const TLinkSection& link) {
    putValue(out_, "call", ownName().c_str());
    string("LoginName", link.LoginName);
    string("UserName", link.UserName);
    string("Reserved1", link.Reserved1);
    string("CompanyNumber", link.CompanyNumber);
    string("CompanyName", link.CompanyName);
    putNumber(out_, "Language", link.Language);
    const std::string code(link.LanguageCode.chars,
                           link.LanguageCode.length < 2 ? link.LanguageCode.length : 2);
    putValue(out_, "LanguageCode", code.c_str());
    string("PrinterIndex", link.PrinterIndex);
    string("Reserved2", link.Reserved2);
    string("Customer", link.Customer);
    string("ProgramDir", link.ProgramDir);
    string("DataDir", link.DataDir);
    string("Reserved3", link.Reserved3);
    string("Reserved4", link.Reserved4);
    putNumber(out_, "ReservedFlag", link.ReservedFlag);
    string("Reserved5", link.Reserved5);
    putNumber(out_, "Reserved6", link.Reserved6);
    putNumber(out_, "Reserved7", link.Reserved7);
    putNumber(out_, "UserDetail", link.UserDetail);
    string("OptionContext", link.OptionContext);
    putValue(out_, "lengths", badLengths_.empty() ? "ok" : ("bad" + badLengths_).c_str());
  }

  void list(const char* name, const OrbaStringList* list) {
    const std::string prefix = name;
    if (!list) {
      putValue(out_, name, "null");
      return;
    }
    putNumber(out_, (prefix + ".count").c_str(), list->count);
    for (int32_t i = 0; i < list->count; ++i)
      putValue(out_, (prefix + '.' + std::to_string(i)).c_str(), list->lines ? list->lines[i] : nullptr);
  }

  // One write per call, so a block is never split by another writer.
  void finish() {
    out_ += "end\n";
    const char* path = std::getenv("ORBA_TEST_MODULE_LOG");
    if (!path || !*path) return;
    if (std::FILE* f = std::fopen(path, "ab")) {
      std::fwrite(out_.data(), 1, out_.size(), f);
      std::fclose(f);
    }
  }

 private:
  void string(const char* key, OrbaString s) {
    putValue(out_, key, s);
    if (s && static_cast<std::size_t>(OrbaStringLength(s)) != std::strlen(s)) {
      badLengths_ += ' ';
      badLengths_ += key;
    }
  }

  std::string out_;
  std::string badLengths_;
};

int32_t result() {
  const char* text = std::getenv("ORBA_TEST_MODULE_RESULT");
  if (!text || !*text) return 1;
  return static_cast<int32_t>(std::strtol(text, nullptr, 10));
}

}  // namespace

#ifdef ORBA_TESTMODULE_CATALOGUE

ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link, const OrbaStringList* optionNames,
                                       const OrbaStringList* dllList) {
  Recorder recorder(link);
  recorder.list("names", optionNames);
  recorder.list("codes", dllList);
  recorder.finish();
  return result();
}

#else

ORBA_MODULE_EXPORT int32_t ShowDllForm(TLinkSection link) {
  Recorder recorder(link);
  recorder.finish();
  if (std::getenv("ORBA_TEST_MODULE_THROW")) throw std::runtime_error("module failure");
  return result();
}

#endif
