#pragma once

#include <QString>

#include <cstdint>
#include <span>

namespace pk {

/// Severity of a catalogue message; decides what raising it does.
enum class ErrorLevel : std::uint8_t {
    Benign = 0,
    User = 1,    ///< Yes/No question
    Program = 2, ///< treated as fatal
    Fatal = 3,   ///< message, then the program halts
    Cancel = 4,  ///< Yes/No question
    Notify = 5,  ///< message with OK
};

struct ErrorEntry
{
    std::uint16_t number;
    ErrorLevel level;
    const char *title;
    const char *message;
};

/// Numbers of the catalogue messages the program raises by name.
namespace Msg {
inline constexpr std::uint16_t RecordRetrievalError = 1;
inline constexpr std::uint16_t AccessDenied = 2;
inline constexpr std::uint16_t RecordAdded = 3;
inline constexpr std::uint16_t RecordInsertError = 4;
inline constexpr std::uint16_t ChangedElsewhere = 7;
inline constexpr std::uint16_t ChangedElsewhereShown = 8;
inline constexpr std::uint16_t ChangedOrDeletedElsewhere = 9;
inline constexpr std::uint16_t ChangesWillBeLost = 10;
inline constexpr std::uint16_t ConfirmDelete = 11;
inline constexpr std::uint16_t FileCreationError = 12;
inline constexpr std::uint16_t RecordNotDeleted = 13;
inline constexpr std::uint16_t DuplicateKey = 15;
inline constexpr std::uint16_t FieldContents = 16;
inline constexpr std::uint16_t ValueError = 17;
inline constexpr std::uint16_t FileLoadError = 21;
inline constexpr std::uint16_t NoRecords = 25;
inline constexpr std::uint16_t FileAccessError = 26;
inline constexpr std::uint16_t ProcedureNotDefined = 27;
inline constexpr std::uint16_t RecordNotUpdated = 28;
inline constexpr std::uint16_t KeyNotBuilt = 29;
inline constexpr std::uint16_t InvalidKey = 30;
inline constexpr std::uint16_t SaveRecord = 38;
inline constexpr std::uint16_t BeginningOfFile = 39;
inline constexpr std::uint16_t EndOfFile = 40;
inline constexpr std::uint16_t FileUsageError = 42;
} // namespace Msg

/// The constant table of the error manager: 52 numbered entries.
class ErrorCatalogue
{
public:
    static std::span<const ErrorEntry> entries();
    /// The entry with this number, or nullptr.
    static const ErrorEntry *find(std::uint16_t number);
};

} // namespace pk
