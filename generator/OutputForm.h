#ifndef GeneratorOutputFormH
#define GeneratorOutputFormH

// The form the generated library is written in, decided in one place and
// given to every writer: for C++Builder 6 to 2007, where String is
// AnsiString (narrow literals, MessageBox, GBK files), or for C++Builder
// 2009 to 12, where String is UnicodeString (wide literals, MessageBoxW,
// UTF-8 files with a byte-order mark). What each statement sends to the
// server is the same text in both.

#include <string>
#include <vector>

#include "platform/Text.h"

struct OutputForm {
    // The Unicode VCL's form (C++Builder 2009 and later).
    bool Unicode = false;

    static OutputForm Ansi() { return {}; }
    static OutputForm Wide() { return {true}; }

    // What stands before a string literal that becomes a String, a
    // WideString or a format: "" or "L".
    std::string LiteralPrefix() const { return Unicode ? "L" : ""; }
    // The message box the runtime calls, the same whether or not UNICODE
    // is defined: MessageBox (C++Builder 6's ANSI VCL), MessageBoxW.
    std::string MessageBoxCall() const { return Unicode ? "MessageBoxW" : "MessageBox"; }
    // A file's bytes from its UTF-8 text: GBK, or UTF-8 after its mark.
    std::string Bytes(const std::string& utf8) const;
    // Whether a catalogue name can be written into the files at all: GBK
    // holds it, or (Unicode) it is whole Unicode, no unpaired surrogate.
    bool CanHold(const std::string& utf8) const;

    // The fields every template may use: ${L} before a literal, and
    // ${MessageBox} for the call.
    std::vector<platform::Field> Fields() const;
};

// A template filled with its fields and the form's.
std::string FillForm(const std::string& text, std::vector<platform::Field> fields,
                     const OutputForm& form);

#endif
