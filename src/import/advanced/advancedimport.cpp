#include "import/advanced/advancedimport.h"

#include "import/csv/pictureentry.h"
#include "store/fieldtext.h"
#include "store/picture.h"

#include <QElapsedTimer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

using namespace Qt::StringLiterals;

namespace pk {

namespace {

const QString kDefaultPicture = u"@S1000"_s;
const QString kNumberPicture = u"@N30.9"_s;

/// A number read from a field, rounded and kept within [low, high].
qint64 wholeNumber(double value, qint64 low, qint64 high)
{
    if (!std::isfinite(value))
        return 0;
    const double rounded = std::round(value);
    if (rounded < static_cast<double>(low))
        return low;
    if (rounded > static_cast<double>(high))
        return high;
    return static_cast<qint64>(rounded);
}

void store(LocationRecord &r, int target, const DelimitedReader &reader)
{
    const QString text = trimTrailingSpaces(reader.field());
    const double number = reader.fieldAsNumber();
    constexpr qint64 intMin = std::numeric_limits<qint32>::min();
    constexpr qint64 intMax = std::numeric_limits<qint32>::max();
    switch (target) {
    case 0:
        // Never cut: a cut address is another address. The insert judges its length.
        r.Location = text.trimmed();
        break;
    case 1:
        r.Description = fitToField(text, 255);
        break;
    case 2:
        r.Category = fitToField(text, 50);
        break;
    case 3:
        r.Rating = static_cast<int>(wholeNumber(number, -99, 99));
        break;
    case 4:
        r.Keyword = fitToField(text, 20);
        break;
    case 5:
        r.SiteInfo = fitToField(text, 2048);
        break;
    case 6:
    case 7:
    case 13:
        break; // dates: see dayNumber()
    case 8:
        r.Validated = static_cast<quint8>(wholeNumber(number, 0, 255));
        break;
    case 9:
        r.MovedTo = trimTrailingSpaces(text); // an address is stored whole or refused
        break;
    case 10:
        r.Comments = fitToField(text, 1024);
        break;
    case 11:
        r.UserName = fitToField(text, 40);
        break;
    case 12:
        r.Password = fitToField(text, 20);
        break;
    case 14:
        r.PageSize = static_cast<qint32>(wholeNumber(number, intMin, intMax));
        break;
    case 15:
        r.EmailAddress = fitToField(text, 60);
        break;
    case 16:
        r.OriginalFilename = fitToField(text, 255);
        break;
    case 17:
        r.Custom1 = fitToField(text, 60);
        break;
    case 18:
        r.Custom2 = fitToField(text, 60);
        break;
    case 19:
        r.Custom3 = fitToField(text, 60);
        break;
    default:
        break;
    }
}

/**
 * The day number a date column holds once read through its picture (date pictures have turned
 * the text into a day number already): a whole number from 0 (no date) to the last day, or
 * blank for no date. Anything else is no date of this picture.
 */
std::optional<qint32> dayNumber(const QString &field)
{
    const QString text = field.trimmed();
    if (text.isEmpty())
        return 0;
    bool ok = false;
    qint64 day = text.toLongLong(&ok);
    if (!ok) {
        // A number column may carry decimals ("@N30.9"): a whole value is still a day.
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value) || value != std::floor(value))
            return std::nullopt;
        day = static_cast<qint64>(value);
    }
    static const qint64 lastDay = DayNumber::fromDate(QDate(9999, 12, 31));
    if (day < 0 || day > lastDay)
        return std::nullopt;
    return static_cast<qint32>(day);
}

/// Blank, or blanks or control characters inside: no address.
bool isAddress(const QString &location)
{
    if (location.isEmpty())
        return false;
    return std::none_of(location.cbegin(), location.cend(), [](QChar c) {
        return c.isSpace() || c.category() == QChar::Other_Control;
    });
}

constexpr int kLastVisit = 6;
constexpr int kLastValidated = 7;
constexpr int kExpires = 13;

} // namespace

bool AdvancedImport::isDateTarget(int targetRow)
{
    return targetRow == kLastVisit || targetRow == kLastValidated || targetRow == kExpires;
}

QString AdvancedImport::defaultDatePicture(int targetRow)
{
    if (targetRow == kExpires)
        return u"@d17b"_s;
    return isDateTarget(targetRow) ? u"@d17"_s : QString();
}

QPair<QString, QString> AdvancedImport::headerName(const QString &value)
{
    const qsizetype at = value.indexOf(u'@');
    if (at <= 0)
        return {value, QString()};
    return {value.left(at), value.mid(at)};
}

AdvancedImport::AdvancedImport(UserInterface &ui)
    : m_ui(ui)
    , m_reader(ui)
{}

const QStringList &AdvancedImport::targetNames()
{
    static const QStringList names{u"URL:Location"_s,         u"URL:Description"_s,
                                   u"URL:Category"_s,         u"URL:Rating"_s,
                                   u"URL:Keyword"_s,          u"URL:SiteInfo"_s,
                                   u"URL:LastVisit"_s,        u"URL:LastValidated"_s,
                                   u"URL:Validated"_s,        u"URL:MovedTo"_s,
                                   u"URL:Comments"_s,         u"URL:UserName"_s,
                                   u"URL:Password"_s,         u"URL:Expires"_s,
                                   u"URL:PageSize"_s,         u"URL:EmailAddress"_s,
                                   u"URL:OriginalFilename"_s, u"URL:Custom1"_s,
                                   u"URL:Custom2"_s,          u"URL:Custom3"_s};
    return names;
}

QString AdvancedImport::kindText(const QString &picture)
{
    return PictureEntry::kindText(picture, u"Alpha-num"_s, u"Numeric"_s);
}

bool AdvancedImport::readNonBlankLine()
{
    // A blank line holds no record; it is passed over rather than taken as the file's end.
    for (;;) {
        const qsizetype length = m_reader.nextLine();
        if (length < 0)
            return false;
        if (!m_reader.line().trimmed().isEmpty())
            return true;
    }
}

bool AdvancedImport::open(const QString &fileName)
{
    m_fields.clear();
    m_targets.clear();
    m_recordNumber = 0;
    m_imported = 0;
    if (m_reader.openInputFile(fileName) <= 0)
        return false;
    for (const QString &name : targetNames())
        m_targets.append({name, {}, {}});

    if (!readNonBlankLine()) {
        close();
        return false;
    }
    while (m_reader.nextField() != DelimitedReader::FieldKind::None) {
        const QString name = u"Field_"_s + QString::number(m_fields.size() + 1);
        m_fields.append({name,
                         kindText(kDefaultPicture),
                         truncateToWidth(m_reader.field(), ValueWidth),
                         kDefaultPicture});
    }
    if (m_fields.isEmpty()) {
        close();
        return false;
    }
    // Columns written without quotes in the second record hold plain numbers.
    if (readNonBlankLine()) {
        for (ImportFieldEntry &field : m_fields) {
            const DelimitedReader::FieldKind kind = m_reader.nextField();
            if (kind == DelimitedReader::FieldKind::None)
                break;
            if (kind == DelimitedReader::FieldKind::Unquoted) {
                field.picture = kNumberPicture;
                field.kind = kindText(kNumberPicture);
            }
        }
        m_reader.setToStart(true);
        readNonBlankLine();
    }
    m_recordNumber = 1;
    m_nextEnabled = true;
    m_autoEnabled = true;
    return true;
}

void AdvancedImport::close()
{
    m_reader.closeInputFile();
    m_haveBuffer = false;
}

void AdvancedImport::showRecord()
{
    for (ImportFieldEntry &field : m_fields) {
        const bool read = m_reader.nextField() != DelimitedReader::FieldKind::None;
        field.value = read ? truncateToWidth(m_reader.field(), ValueWidth) : QString();
    }
}

bool AdvancedImport::next()
{
    if (!m_nextEnabled)
        return false;
    m_autoEnabled = false;
    if (!readNonBlankLine()) {
        m_nextEnabled = false;
        return false;
    }
    ++m_recordNumber;
    showRecord();
    return true;
}

void AdvancedImport::setPicture(int importRow, const QString &picture)
{
    if (importRow < 0 || importRow >= m_fields.size() || picture.trimmed().isEmpty())
        return;
    m_fields[importRow].picture = picture.trimmed();
    m_fields[importRow].kind = kindText(m_fields[importRow].picture);
}

void AdvancedImport::assign(int targetRow, int importRow)
{
    if (targetRow < 0 || targetRow >= m_targets.size() || importRow < 0
        || importRow >= m_fields.size())
        return;
    m_targets[targetRow].marker = u"="_s;
    m_targets[targetRow].assigned = m_fields.at(importRow).name;
}

void AdvancedImport::unassign(int targetRow)
{
    if (targetRow < 0 || targetRow >= m_targets.size())
        return;
    m_targets[targetRow].marker.clear();
    m_targets[targetRow].assigned.clear();
}

void AdvancedImport::autoAssign()
{
    if (!m_autoEnabled)
        return;
    for (int t = 0; t < m_targets.size(); ++t) {
        if (!m_targets.at(t).assigned.isEmpty())
            continue;
        for (int f = 0; f < m_fields.size(); ++f) {
            const auto [name, picture] = headerName(m_fields.at(f).value);
            if (name != m_targets.at(t).name)
                continue;
            assign(t, f);
            if (picture.size() >= 2)
                setPicture(f, picture);
            else if (isDateTarget(t) && m_fields.at(f).picture == kDefaultPicture)
                setPicture(f, defaultDatePicture(t));
            break;
        }
    }
    m_stripHeader = true;
}

bool AdvancedImport::hasAssignment() const
{
    return std::any_of(m_targets.cbegin(), m_targets.cend(), [](const TargetFieldEntry &t) {
        return !t.assigned.isEmpty();
    });
}

int AdvancedImport::targetOf(int importRow) const
{
    if (importRow < 0 || importRow >= m_fields.size())
        return -1;
    for (int t = 0; t < m_targets.size(); ++t) {
        if (m_targets.at(t).assigned == m_fields.at(importRow).name)
            return t;
    }
    return -1;
}

int AdvancedImport::importOf(int targetRow) const
{
    if (targetRow < 0 || targetRow >= m_targets.size() || m_targets.at(targetRow).assigned.isEmpty())
        return -1;
    for (int f = 0; f < m_fields.size(); ++f) {
        if (m_fields.at(f).name == m_targets.at(targetRow).assigned)
            return f;
    }
    return -1;
}

bool AdvancedImport::readRecord(LocationRecord &location)
{
    m_problem = RecordProblem::None;
    if (!readNonBlankLine())
        return false;
    location = LocationRecord{};
    for (const ImportFieldEntry &field : std::as_const(m_fields)) {
        if (m_reader.nextField() == DelimitedReader::FieldKind::None)
            break;
        for (int t = 0; t < m_targets.size(); ++t) {
            if (m_targets.at(t).assigned != field.name)
                continue;
            const bool read = m_reader.deformatField(field.picture);
            if (!isDateTarget(t)) {
                store(location, t, m_reader);
                continue;
            }
            const std::optional<qint32> day = read ? dayNumber(m_reader.field()) : std::nullopt;
            if (!day) {
                m_problem = RecordProblem::BadDate;
                continue;
            }
            if (t == kLastVisit)
                location.LastVisit = *day;
            else if (t == kLastValidated)
                location.LastValidated = *day;
            else
                location.Expires = *day;
        }
    }
    if (m_problem == RecordProblem::None && !isAddress(location.Location))
        m_problem = RecordProblem::NotAnAddress;
    if (location.Category.isEmpty())
        location.Category = m_defaultCategory;
    return true;
}

bool AdvancedImport::startRun()
{
    m_imported = 0;
    m_refused = 0;
    m_reader.setToStart(true);
    if (m_stripHeader)
        readNonBlankLine();
    m_haveBuffer = readRecord(m_buffer);
    return m_haveBuffer;
}

bool AdvancedImport::runStep(const AdvancedImportSink &sink, int records, int budgetMilliseconds)
{
    if (!m_haveBuffer)
        return false;
    bool goOn = true;
    QElapsedTimer clock;
    clock.start();
    auto work = [&] {
        do {
            for (int i = 0; i < records && m_haveBuffer; ++i) {
                if (m_problem != RecordProblem::None) {
                    ++m_refused;
                    if (sink.refuse)
                        sink.refuse(m_problem);
                    m_haveBuffer = readRecord(m_buffer);
                    continue;
                }
                if (!m_buffer.Category.isEmpty() && sink.offerCategory)
                    sink.offerCategory(m_buffer.Category);
                if (sink.insert && !sink.insert(m_buffer)) {
                    goOn = false;
                    return;
                }
                ++m_imported;
                m_haveBuffer = readRecord(m_buffer);
            }
        } while (m_haveBuffer && clock.elapsed() < budgetMilliseconds);
    };
    if (sink.batch)
        sink.batch(work);
    else
        work();
    if (!goOn)
        m_haveBuffer = false;
    return m_haveBuffer;
}

int AdvancedImport::percent() const
{
    const qint64 size = m_reader.fileSize();
    if (size <= 0)
        return 100;
    return static_cast<int>(std::min<qint64>(100, m_reader.bytesRead() * 100 / size));
}

} // namespace pk
