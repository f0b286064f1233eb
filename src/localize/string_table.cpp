#include "localize/string_table.h"

#include <algorithm>
#include <iterator>

namespace brindle {

namespace {

struct Entry {
    int id;
    const char* text;
};

// Kept exactly as the program has always shown them, blanks and spellings included: the
// export recognises a selected list entry by comparing it with these texts. 12, 14, 45, 61
// and 62 are the maker's identity shown in the About window.
constexpr Entry kStrings[] = {
    {0, " Build"},
    {1, " error(s) encountered in process.  Press OK to view the error log now"},
    {2, "About"},
    {3, "Alias"},
    {4, "All Alternate Extensions"},
    {5, "All Alternate MWI Strings"},
    {6, "Always"},
    {7, "Billing ID"},
    {8, "Browse"},
    {9, "Busy Action"},
    {10, "COS Name"},
    {11, "Change Language"},
    {12, "Brindle Tools"},
    {13, "Commas"},
    {14, "Copyright (c) 2026 Brindle Tools. All rights reserved."},
    {15, "Data to Include in Output File"},
    {16, "Default Playback Volume"},
    {17, "Display Name"},
    {18, "Error in from load routine.  Description="},
    {19, "Exit"},
    {20, "Exiting application"},
    {21, "FAX ID"},
    {22, "File"},
    {23, "First Name"},
    {24, "Help"},
    {25, "Home Mail Server"},
    {26, "Invalid file name!"},
    {27, "Language"},
    {28, "Last Name"},
    {29, "Line Feeds"},
    {30, "List In Directory"},
    {31, "Location ID"},
    {32, "Location Name"},
    {33, "MWI Status"},
    {34, "Maximum Message Length"},
    {35, "Never"},
    {36, "No items selected for outport!"},
    {37, "No languages loaded"},
    {38, "OK"},
    {39, "Output complete.  "},
    {40, "Primary Extension"},
    {41, "Primary Fax Delivery Number"},
    {42, "Primary MWI String"},
    {43, "Progress"},
    {44, "Rings to Wait"},
    {45, "14 Harrow Lane"},
    {46, "Schedule Name"},
    {47, "Select Language"},
    {48, "Select Location of Output File"},
    {49, "Seperate Data With"},
    {50, "Set for First Time Enrollment"},
    {51, "Start"},
    {52, "Subscriber Count:"},
    {53, "Brindle"},
    {54, "Subscriber Lockout Status"},
    {55, "Switch ID"},
    {56, "Tabs"},
    {57, "Time of Last Call"},
    {58, "Total Mailbox Size"},
    {59, "Transfer Number"},
    {60, "Transfer Type"},
    {61, "Northbridge, Avalonia"},
    {62, "Brindle is a trademark of Brindle Tools."},
    {63, "Halvern must be running.  Please start Halvern and try again."},
    {64, "Use Quotes Around Fields"},
    {65, "User Input Values"},
    {66, "Version:"},
    {67, "Voice Name Recorded"},
    {68, "Voice Name WAV File ([ALIAS]_VOICE_NAME.WAV)"},
    {69, "When data includes a comma"},
    {70, "Write Data To:"},
    {71, "none"},
    {100, "Include remote subscribers"},
    {101, "Remote address"},
    {102, "This version of Brindle only works with Halvern 3.0(1) and later"},
    {103, "Public distribution list membership"},
    {104, "Notification Devices"},
    {105, "All subscribers"},
    {106, "Full subscribers only"},
    {107, "AMIS subscribers only"},
    {108, "Bridge subscribers only"},
    {109, "SMTP subscribers only"},
    {110, "VPIM subscribers only"},
    {111, "Subscribers to dump"},
    {112, "Could not open database.  Make sure you're running Halvern 3.0(1) or later on the box."},
    {113, "Check for updated version"},
    {114, "Remote node ID"},
    {115, "Legacy mailbox ID"},
    {116, "Greetings Enabled"},
    {117, "Caller Input Key Actions"},
    {118, "Greeting WAV file - standard"},
    {119, "Greeting WAV file - alternate"},
    {120, "Trivial PW Check"},
    {121, "Voice Name WAV File ([Primary Extension].WAV)"},
    {122, "Time of last password change"},
    {123, "Date of subscriber creation"},
    {124, "Days till next PW change"},
    {125, "Mailbox bytes in use"},
    {126, "Mailbox send limit (bytes)"},
    {127, "Mailbox receive limit (bytes)"},
    {128, "Mailbox warning size (bytes)"},
    // Beyond the numbers the packs of the earlier program use, so that those packs still work.
    {200, "Text encoding"},
    {201, "UTF-8"},
    {202, "UTF-8 with byte-order mark"},
    {203, "Windows-1252 (Western European)"},
};

// The lookup below searches by halves.
static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const Entry& a, const Entry& b) { return a.id < b.id; }));

}  // namespace

std::optional<QString> builtInString(int id) {
    const auto found = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                        [](const Entry& entry, int wanted) { return entry.id < wanted; });
    if (found == std::end(kStrings) || found->id != id) return std::nullopt;
    return QString::fromUtf8(found->text);
}

}  // namespace brindle
