#pragma once
// Between the core's byte strings and the widgets' texts. Paths use the file system's encoding;
// texts that go into personality and cache files (device names, created-by, notes) are 8-bit
// text, one byte per character, as the consoles read them.
#include <QString>
#include <string>
#include <string_view>

namespace hoardwright::desktop {

QString PathText(std::string_view path);
std::string PathBytes(const QString& path);

// Bytes read from a personality file: UTF-8 when they are valid UTF-8, otherwise Latin-1.
QString FileText(std::string_view bytes);
// Characters outside Latin-1 become "?".
std::string FileBytes(const QString& text);

// The notes field's line breaks ("\n") as the carriage return and line feed that the build
// expects, and back.
std::string NotesBytes(const QString& text);
QString NotesText(std::string_view bytes);

}  // namespace hoardwright::desktop
