// The texts the download mirror serves: "ver.html" (a display version, one
// separator, a 20-character stamp) and "file.html" (scrambled lines in groups
// of three: path, size, digest). Pure parsing shared by the launcher's update
// engine and the operator's publish tool, so what one writes the other reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/GbkText.h"

inline constexpr std::size_t kVersionStampLength = 20;

struct VersionText {
    std::string display;  // shown to the player
    std::string stamp;    // compared with and saved to "ver.ini"
};

// The stamp is the last 20 characters (the whole body when shorter); one
// separator character before it is dropped whatever it is.
VersionText ParseVersionText(std::string_view body);

// "ver.html" as the launcher expects it: display, LF, stamp, nothing after.
std::string FormatVersionText(std::string_view display, std::string_view stamp);

// One entry of the file list, decoded.
struct ListedFile {
    std::string name;  // relative, with backslashes, normally starting with one
    int64_t size = 0;  // for progress only
    std::string md5;   // 32 lower-case hex digits when well-formed
};

struct FileList {
    std::vector<ListedFile> files;  // complete groups, in list order, duplicates kept
    // The path line of a group cut short at the end of the text: it never
    // becomes an entry, but it was read and may be shown as progress.
    std::optional<std::string> unfinishedName;
};

// Splits on CR and LF; a run of them is one break, a break at the very start
// gives one empty first line, and breaks at the end give no extra line.
std::vector<std::string_view> SplitListLines(std::string_view text);

// One scrambled line; a line that does not decode gives the empty text.
std::string DecodeListLine(std::string_view line);

// A decimal size read like atoi (leading white space, optional sign, digits;
// anything else gives 0), widened to 64 bits and saturated instead of
// overflowing.
int64_t ParseListedSize(std::string_view text);

// Decodes a whole "file.html" body.
FileList DecodeFileList(std::string_view text);

// Encodes entries as "file.html" (CR LF after every line). Gives nothing when
// a field is too long to scramble or contains a line break or NUL.
std::optional<std::string> EncodeFileList(const std::vector<ListedFile>& files);

// True when a listed name may be written below the installation folder as
// a file of its own: not empty; no ':' (drive letters, alternate streams) and
// no control characters; no GBK lead byte without its second byte; and no
// component between backslashes or forward slashes that climbs (".."), ends
// in a dot or a blank (Windows drops those, so "a." is "a"), or names a DOS
// device with any extension ("CON", "aux.h", "COM1.txt", "CONOUT$").
// The publish tool and the launcher share this one rule.
bool IsSafeListedName(std::string_view name);

// The name as Windows compares it: ASCII letters and GBK's Greek, Cyrillic,
// full-width Latin letters and Roman numerals in lower case, '/' as '\\'.
// The second byte of a GBK character is never taken for an ASCII letter.
std::string FoldListedName(std::string_view name);
// For each name, whether another name of the list differs from it but folds
// to the same (on Windows both would be one file), or names a folder on its
// path or is a file inside it ("\a" and "\a\b.txt": a file and a folder of
// one name). Repeats of one name are no collision. Adds the names it compared
// to *comparisons when given, so a test can bound the work.
std::vector<bool> FindFoldedCollisions(const std::vector<std::string_view>& names,
                                       std::size_t* comparisons = nullptr);

// The name as used in download URLs and mirror folders: every backslash
// becomes a forward slash ("\Res\x.png" -> "/Res/x.png"). The second byte of a
// GBK double-byte character is never taken for a separator.
std::string ToUrlPath(std::string_view name);

// The position of the last backslash in name that is a separator and not the
// second byte of a GBK character (npos when there is none).
std::size_t FindLastSeparator(std::string_view name);

// A URL path with every byte outside the unreserved set (letters, digits,
// "-._~") written as %XX, except '/': "/a b/100%.txt" -> "/a%20b/100%25.txt".
// Names with '%', '#', '?', spaces or GBK bytes then reach any server, proxy
// or CDN as the same name.
std::string PercentEncodePath(std::string_view path);
