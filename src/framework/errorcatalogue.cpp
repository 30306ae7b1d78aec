#include "framework/errorcatalogue.h"

#include <algorithm>
#include <array>

namespace pk {

namespace {

using L = ErrorLevel;

constexpr std::array<ErrorEntry, 52> kEntries{{
    {1,
     L::Notify,
     "Record Retrieval Error",
     "Error: (%ErrorText) attempting to access a record from the %File file.  Returning to "
     "previous window."},
    {2, L::Notify, "Access Denied", "Could not get write access to %File so trying read-only."},
    {3,
     L::User,
     "Record Added",
     "This record has been added to the file. Do you want to add another record?"},
    {4,
     L::Notify,
     "Record Insert Error",
     "An error was experienced during the creation of a record.|File: %File|Error: %ErrorText."},
    {5, L::Notify, "Add New Record?", "Record match not found, do you wish to add a new one?"},
    {6, L::Notify, "File Access Error", "File %File could not be closed.  Error: %ErrorText."},
    {7, L::Notify, "Record Was Not Updated", "This record was changed by another station."},
    {8,
     L::Notify,
     "Record Was Not Updated",
     "This record was changed by another station. Those changes will now be displayed. Use the "
     "Ditto Button or Ctrl+H to recall your changes."},
    {9,
     L::Notify,
     "Record Retrieval Error",
     "This record was changed or deleted by another station.|Error: (%ErrorText) attempting to "
     "access a record from the %File file."},
    {10, L::User, "Changes will be lost!", "Are you sure you want to cancel?"},
    {11, L::User, "Confirm Delete", "Are you sure you want to delete the highlighted record?"},
    {12, L::Fatal, "File Creation Error", "Error: (%ErrorText) creating %File."},
    {13,
     L::Notify,
     "Record was not deleted",
     "An error (%ErrorText) was experienced when deleting a record from the %File file."},
    {14, L::Notify, "Invalid Request", "This form cannot be used to delete a record"},
    {15,
     L::Notify,
     "Duplicate Key Error",
     "Adding this record creates a duplicate entry for the key: %Message"},
    {16,
     L::Notify,
     "Field contents error",
     "The value of %Field must be found in the %Message file."},
    {17, L::Notify, "Value Error", "The value of %Field must be in the list : %Message."},
    {18, L::Notify, "Range Error", "The value of %Field must be in range %Message."},
    {19, L::Notify, "Range Error", "The value of %Field must be lower than %Message."},
    {20, L::Notify, "Range Error", "The value of %Field must be higher than %Message."},
    {21, L::Notify, "File Load Error", "%File File Load Error.  Error: %ErrorText."},
    {22,
     L::Notify,
     "WMF Parser Error",
     "The picture file %File could not be read.  Error: %ErrorText."},
    {23, L::Notify, "Invalid Request", "This form cannot be used to insert a record"},
    {24,
     L::Notify,
     "Transaction cancelled",
     "Error: (%ErrorText) attempting to frame the transaction on %File."},
    {25, L::Notify, "No Records", "There are no records available to process."},
    {26, L::Fatal, "File Access Error", "File %File could not be opened.  Error: %ErrorText."},
    {27, L::Notify, "Procedure not defined", "The Procedure %Message has not been defined."},
    {28,
     L::Notify,
     "Record was not updated",
     "An error (%ErrorText) was experienced when making changes to the %File file."},
    {29, L::Fatal, "Key was not built", "Error: (%ErrorText) repairing key for %File."},
    {30, L::Notify, "Invalid Key", "%File key file is invalid. Key must be rebuilt."},
    {31,
     L::Notify,
     "Record not read",
     "A record held by another station was encountered reading from the %File file."},
    {33,
     L::Notify,
     "Referential Integrity Delete Error",
     "This record is referenced from the file %File. This record cannot be deleted while these "
     "references exist."},
    {34,
     L::Notify,
     "Referential Integrity Update Error",
     "This record is referenced from the file %File. Linking field(s) have been restricted from "
     "change and have been reset to original values."},
    {35,
     L::User,
     "Auto Increment Error",
     "Attempts to automatically number this record have failed.|File: %File|Key: %Key|Error: "
     "%ErrorText.|Try Again?"},
    {36,
     L::User,
     "Record Delete Error",
     "An error was experienced deleting this record. Do you want to try to delete it again?"},
    {37,
     L::User,
     "Record Update Error",
     "An error was experienced changing this record. Do you want to try to save again?"},
    {38, L::User, "Save Record", "Do you want to save the changes to this record?"},
    {39,
     L::User,
     "Beginning of File Error",
     "The beginning of the file %File was encountered. Do you want to start again from the end of "
     "the file?"},
    {40,
     L::User,
     "End of File Error",
     "The end of the file %File was encountered. Do you want to start again from the beginning?"},
    {41, L::Notify, "Invalid Request", "This form cannot be used to update a record"},
    {42, L::Program, "File Usage Error", "Attempt to use file (%File) before it was opened"},
    {43,
     L::Notify,
     "View Open Error",
     "Error: (%ErrorText) attempting to open the current VIEW. Filter and Range Limits ignored."},
    {44, L::Notify, "Unsupported QBE Column", "The column %Field cannot be used in a query."},
    {45, L::Notify, "SMTP Error", "Error: (%ErrorText) sending mail.  %Message"},
    {46, L::Notify, "NNTP Error", "Error: (%ErrorText) posting news.  %Message"},
    {47, L::Notify, "Winsock Error", "Network error: (%ErrorText).  %Message"},
    {48, L::Notify, "WMF Parser Error", "The picture file %File has an unsupported header."},
    {49, L::Notify, "WMF Parser Error", "The picture file %File contains an unsupported record."},
    {50, L::Notify, "WMF Parser Error", "The picture file %File is damaged."},
    {51, L::Notify, "WMF Parser Error", "The picture file %File is too large."},
    {52, L::Notify, "Report Writer Error", "Error: (%ErrorText) preparing the report %Message."},
    {53, L::Notify, "Report Writer Error", "Error: (%ErrorText) printing the report %Message."},
}};

constexpr bool sortedByNumber()
{
    for (std::size_t i = 1; i < kEntries.size(); ++i) {
        if (kEntries[i - 1].number >= kEntries[i].number)
            return false;
    }
    return true;
}
static_assert(sortedByNumber(), "catalogue must stay sorted for lookup");

} // namespace

std::span<const ErrorEntry> ErrorCatalogue::entries()
{
    return kEntries;
}

const ErrorEntry *ErrorCatalogue::find(std::uint16_t number)
{
    const auto it = std::lower_bound(kEntries.begin(),
                                     kEntries.end(),
                                     number,
                                     [](const ErrorEntry &e, std::uint16_t n) {
                                         return e.number < n;
                                     });
    return (it != kEntries.end() && it->number == number) ? &*it : nullptr;
}

} // namespace pk
