#pragma once
// Free string helpers used across the system: case folding of names and keys, conversions between
// narrow text (UTF-8 here, with Windows-1252 for stray bytes) and wide text (UTF-16, std::u16string),
// number formatting and parsing, splitting, paths and "%key%" placeholders in localised texts.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Case folding and characters. Only ASCII letters change; bytes >= 128 are kept as they are, so
// UTF-8 names never collide after folding.
const std::string& emptyString();
const std::u16string& emptyWString();
std::string& toLower(const std::string& source, std::string& destination);
std::string& toLowerInPlace(std::string& text);
std::string& toUpper(const std::string& source, std::string& destination);
// Folds into one shared string, overwritten by the next call (not for use from several threads).
const std::string& toLowerStatic(const char* text);
char lowerChar(char c);

// Conversions. The narrow "system code page" is UTF-8; bytes that are not valid UTF-8 are read as
// Windows-1252. Results end at the first zero unit: a text never carries an embedded zero.
std::u16string toWString(const std::string& text);
void toWStringCopy(std::u16string& destination, const std::string& text);
// Strict UTF-8: any invalid sequence gives an empty result.
std::u16string utf8ToWString(const std::string& text);
// Unpaired surrogates become '?', the code page's default character.
std::string toNarrowString(const std::u16string& text);
void toNarrowStringCopy(std::string& destination, const std::u16string& text);
// Unpaired surrogates become U+FFFD.
std::string wstringToUtf8(const std::u16string& text);

// Numbers.
std::string intToString(int32_t value);
std::string uintToString(uint32_t value);
std::string longToString(long value);
std::string int64ToString(int64_t value);
std::u16string intToWString(int32_t value);
std::u16string longToWString(long value);
// Up to 15 significant digits, no trailing zeros ("%.15g").
std::string doubleToString(double value);
std::string floatToString(float value);
void floatToWString(float value, std::u16string& destination);
// Fixed point with `decimals` digits after the point ("3.14", "-2.50"; 0 decimals keeps the point).
std::string doubleToFixedString(double value, uint8_t decimals);
void doubleToFixedWString(double value, uint8_t decimals, std::u16string& destination);
double stringToDouble(const std::string& text);
// atoi, with out-of-range values clamped instead of undefined.
int32_t stringToInt(const std::string& text);

// Splitting. Every character of `delimiters` separates; a run of delimiters after a field
// separates once. maxCount 0 means no maximum; the last field then holds the rest of the text.
std::vector<std::string> splitString(const std::string& text, const std::string& delimiters,
                                     unsigned maxCount = 0);
// The wide twin; leading and trailing delimiters give no empty fields.
std::vector<std::u16string> splitStringEx(const std::u16string& text, const std::u16string& delimiters,
                                          unsigned maxCount = 0);
// Splits at the last '/' or '\\' (kept in the folder) and the last '.' after it (kept in the
// extension). Each output given is cleared first; null outputs are skipped.
void splitPath(const std::string& path, std::string* folder, std::string* name, std::string* extension);

// Trimming of blanks, tabs and carriage returns (line feeds stay).
std::string& trimInPlace(std::string& text, bool left = true, bool right = true);
std::string& trimCopy(const std::string& source, std::string& destination, bool left = true, bool right = true);
// With lowerCase set the piece of `text` is folded before the comparison (the prefix is not).
bool startsWith(const std::string& text, const std::string& prefix, bool lowerCase = false);
bool endsWith(const std::string& text, const std::string& suffix, bool lowerCase = false);

// Placeholders: "%key%" in a text is replaced by the key's value from a list "key, value, ...".
using ReplacementMap = std::map<std::u16string, std::pair<std::u16string, std::u16string>>;
void buildReplacementMap(const std::string& list, ReplacementMap& map);
std::u16string& replaceKeys(std::u16string& result, const std::u16string& text, const std::string& list);
std::string& replaceKeysNarrow(std::string& result, const std::string& text, const std::string& list);
