#include "library/error_texts.h"

namespace kvr {
namespace {

constexpr ErrorText kErrorTexts[] = {
    {kStatusNoMemory, "Out of memory",
     "The utility could not obtain the memory it needed and stopped.\n"
     "Close other programs or split a very large board configuration\n"
     "file, then run the command again.\n"},
    {kStatusReadFailed, "Database file too short",
     "The database file ended before a complete field could be read,\n"
     "so it is truncated or it is not a database file.  Generate the\n"
     "database file again from its board configuration file.\n"},
    {kStatusWriteFailed, "Database file write failed",
     "A byte of the database file could not be written, or the file\n"
     "could not be positioned.  The disk may be full or the file may\n"
     "be read-only.  The database file is incomplete: free some space\n"
     "or choose another output file and generate it again.\n"},
    {kStatusSectionTooLarge, "Database section too large",
     "A section of the database file would be larger than 0xFFFFFF\n"
     "bytes, the most its size field can hold.  Use fewer or shorter\n"
     "configure variables, or fewer devices.\n"},
    {kStatusDatabaseUnusable, "Database file unusable",
     "The database file holds a section size of zero, a variable name\n"
     "longer than 32 characters or a value longer than 4096 characters.\n"
     "It is damaged or was not written by this utility.  Generate it\n"
     "again from its board configuration file.\n"},
    {kStatusDatabaseNotVersion2, "Database label without version 2",
     "The file begins with the database label ;DAT-2.0 but its first\n"
     "size field does not carry the format version 2.  The file is\n"
     "damaged; generate it again.\n"},
    {kStatusLabelMissing, "Configure file label missing",
     "A version 2 board configuration file must begin, in the first\n"
     "column of its first line, with the eight characters ;CFG-2.0.\n"
     "Add the label, or parse the file as version 1 with -p1 or -g1.\n"},
    {kStatusUnexpectedEnd, "Configure file ends too early",
     "The board configuration file ended inside a statement: after a\n"
     "variable name, after a device name, or inside the four groups\n"
     "of a scan-path linker (or a version 2 file is empty).  Complete\n"
     "the statement on the line reported.\n"},
    {kStatusLineTooLong, "Configure file line too long",
     "A line of the board configuration file holds more than 4134\n"
     "characters.  Split it: tokens may stand on separate lines.\n"},
    {kStatusVariableNameTooLong, "Variable name too long",
     "A configure variable name holds more than 32 characters.  Use a\n"
     "name of 1 to 32 letters, digits or underscores.\n"},
    {kStatusVariableNameEmpty, "Variable name empty",
     "A configure variable name is empty: [] holds no name.  Write the\n"
     "name between the brackets.\n"},
    {kStatusVariableNameInvalid, "Variable name invalid",
     "A configure variable name must begin with a letter, continue with\n"
     "letters, digits or underscores, and end with ] on the same line,\n"
     "with no blank inside the brackets.\n"},
    {kStatusVariableNameDuplicate, "Variable name used twice",
     "Two configure variables have the same name; letter case does not\n"
     "make names different.  Remove or rename one of them.\n"},
    {kStatusValueInvalid, "Variable value invalid",
     "A configure variable value is missing or has no accepted form.  A\n"
     "value is a yes or no word (YES, NO, TRUE, FALSE ...), a number\n"
     "(0x1F, 017, 42, at most 8 digits) or a string in single quotes of\n"
     "at most 4096 characters, followed only by blanks or a comment.\n"},
    {kStatusDeviceNotQuoted, "Device name not quoted",
     "A statement is neither a configure variable nor a device: a device\n"
     "name must stand between double quotes, as in \"cpu_a\".\n"},
    {kStatusDeviceNameEmpty, "Device name empty",
     "A device name is empty: \"\" holds no name.  Write a name of 1 to 8\n"
     "characters between the double quotes.\n"},
    {kStatusDeviceNameInvalid, "Device name invalid",
     "A device name must begin with a letter and continue with letters,\n"
     "digits or underscores, and must be closed by a double quote on\n"
     "the same line.\n"},
    {kStatusDeviceNameDuplicate, "Device name used twice",
     "Two devices have the same name; letter case does not make names\n"
     "different.  Give every device a name of its own.\n"},
    {kStatusDeviceNameTooLong, "Device name too long",
     "A device name holds more than 8 characters.\n"},
    {kStatusClassNotInSubpath, "Class not allowed in a sub-path",
     "A device inside the groups of a scan-path linker is a linker (SPL)\n"
     "or an addressable scan port (ASP).  Sub-paths hold only ordinary\n"
     "devices.\n"},
    {kStatusClassUnknownFamily, "Class ID unknown",
     "A class ID begins like no device family.  The list of class IDs is\n"
     "printed by the -i option.\n"},
    {kStatusClassUnknown, "Class ID invalid",
     "A class ID begins like a known device family but does not match\n"
     "any of its class IDs, often because it is too short or too long.\n"
     "On the main scan path GENERICnnn and BYPASSnnn take all their\n"
     "digits.  The list of class IDs is printed by the -i option.\n"},
    {kStatusClassTooLong, "Class ID too long",
     "A class ID holds more than 32 characters.  A class ID ends at a\n"
     "blank or a ';'; a brace written directly after it belongs to it.\n"},
    {kStatusPortOnMainPath, "Addressable scan port not supported",
     "An addressable scan port (ASPaaa) cannot be described by this\n"
     "utility.  Remove the device from the scan path.\n"},
    {kStatusIrLengthInvalid, "Instruction register length invalid",
     "A GENERICnnn or BYPASSnnn class ID gives an instruction register\n"
     "length of 0 or more than 0x400 bits, or has too many digits.\n"},
    {kStatusBraceMisplaced, "Brace misplaced",
     "A scan-path linker (SPL) must be followed by exactly four groups,\n"
     "each between { and }.  A { stands where a device name is expected,\n"
     "or something other than { stands where a group must open.\n"},
    {0, nullptr, nullptr},
};

}  // namespace

const ErrorText* find_error_text(Status value) {
  for (const ErrorText* entry = kErrorTexts; entry->title != nullptr; ++entry) {
    if (entry->value == value) return entry;
  }
  return nullptr;
}

const ErrorText* all_error_texts() {
  return kErrorTexts;
}

}  // namespace kvr
