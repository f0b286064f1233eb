#pragma once

namespace brindle {

// The numbers of the resource strings the program's code asks for by name; the labels of the
// data items are numbered in the catalogue beside their columns.
namespace string_id {
enum : int {
    kBuild = 0,
    kErrorsEncountered = 1,
    kAbout = 2,
    kQuotesAlways = 6,
    kBrowse = 8,
    kChangeLanguage = 11,
    kMakerName = 12,
    kSeparateWithCommas = 13,
    kCopyright = 14,
    kDataToInclude = 15,
    kExit = 19,
    kFileMenu = 22,
    kHelp = 24,
    kInvalidFileName = 26,
    kSeparateWithLineFeeds = 29,
    kQuotesNever = 35,
    kNothingSelected = 36,
    kNoLanguages = 37,
    kOk = 38,
    kOutputComplete = 39,
    kProgress = 43,
    kMakerStreet = 45,
    kSelectLanguage = 47,
    kSelectLocation = 48,
    kSeparateDataWith = 49,
    kStart = 51,
    kSubscriberCount = 52,
    kCaption = 53,
    kSeparateWithTabs = 56,
    kMakerTown = 61,
    kTrademark = 62,
    kHostMustRun = 63,
    kUseQuotes = 64,
    kVersion = 66,
    kQuotesWhenComma = 69,
    kWriteDataTo = 70,
    kSubscribersToDump = 111,
    kCannotOpenDatabase = 112,
    kCheckForUpdatedVersion = 113,
    kTextEncoding = 200,  // the File menu's encoding choice, then its three entries
    kEncodingUtf8 = 201,
    kEncodingUtf8WithMark = 202,
    kEncodingWindows1252 = 203,
};
}  // namespace string_id

}  // namespace brindle
