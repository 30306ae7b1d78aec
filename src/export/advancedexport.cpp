#include "export/advancedexport.h"

#include "export/exportreader.h"
#include "framework/userinterface.h"
#include "store/categorymanager.h"
#include "store/collection.h"
#include "store/locationmanager.h"

using namespace Qt::StringLiterals;

namespace pk {

AdvancedExport::AdvancedExport(Collection &collection, UserInterface &ui)
    : m_collection(collection)
    , m_ui(ui)
    , m_writer(ui)
{}

AdvancedExport::~AdvancedExport()
{
    m_reader.reset();
    m_writer.discardOutputFile();
}

const KeyDef &AdvancedExport::keyForOrder(const QString &order)
{
    const KeyDef *key = ExportReader::keyOf(order.trimmed());
    return key ? *key : Keys::urlLocation();
}

QVariant AdvancedExport::value(const QString &field,
                               const LocationRecord &l,
                               const CategoryRecord &c)
{
    const QString f = field.toUpper();
    if (f.startsWith(u"CAT:"_s)) {
        if (f == u"CAT:CATEGORY"_s)
            return c.Category;
        if (f == u"CAT:FLAG"_s)
            return static_cast<int>(c.Flag);
        if (f == u"CAT:DESCRIPTION"_s)
            return c.Description;
        return {};
    }
    static const QHash<QString, int>
        index{{u"URL:LOCATION"_s, 0},      {u"URL:DESCRIPTION"_s, 1},       {u"URL:CATEGORY"_s, 2},
              {u"URL:RATING"_s, 3},        {u"URL:KEYWORD"_s, 4},           {u"URL:SITEINFO"_s, 5},
              {u"URL:LASTVISIT"_s, 6},     {u"URL:LASTVALIDATED"_s, 7},     {u"URL:VALIDATED"_s, 8},
              {u"URL:MOVEDTO"_s, 9},       {u"URL:COMMENTS"_s, 10},         {u"URL:USERNAME"_s, 11},
              {u"URL:PASSWORD"_s, 12},     {u"URL:EXPIRES"_s, 13},          {u"URL:PAGESIZE"_s, 14},
              {u"URL:EMAILADDRESS"_s, 15}, {u"URL:ORIGINALFILENAME"_s, 16}, {u"URL:CUSTOM1"_s, 17},
              {u"URL:CUSTOM2"_s, 18},      {u"URL:CUSTOM3"_s, 19}};
    switch (index.value(f, -1)) {
    case 0:
        return l.Location;
    case 1:
        return l.Description;
    case 2:
        return l.Category;
    case 3:
        return l.Rating;
    case 4:
        return l.Keyword;
    case 5:
        return l.SiteInfo;
    case 6:
        return l.LastVisit;
    case 7:
        return l.LastValidated;
    case 8:
        return static_cast<int>(l.Validated);
    case 9:
        return l.MovedTo;
    case 10:
        return l.Comments;
    case 11:
        return l.UserName;
    case 12:
        return l.Password;
    case 13:
        return l.Expires;
    case 14:
        return l.PageSize;
    case 15:
        return l.EmailAddress;
    case 16:
        return l.OriginalFilename;
    case 17:
        return l.Custom1;
    case 18:
        return l.Custom2;
    case 19:
        return l.Custom3;
    default:
        return {};
    }
}

bool AdvancedExport::open(const AdvancedExportSettings &settings,
                          const QList<ExportFieldEntry> &fields,
                          bool includeHeader)
{
    m_fields = fields;
    m_reader = std::make_unique<ExportReader>(m_collection, keyForOrder(settings.order));

    // The selection first, so a bad query leaves no file behind.
    const QString assignment = settings.assignment.trimmed();
    if (assignment.compare(u"Selected"_s, Qt::CaseInsensitive) == 0) {
        m_reader->selectCategory(settings.category.trimmed());
    } else if (assignment.compare(u"Query"_s, Qt::CaseInsensitive) == 0) {
        QString message;
        if (!m_reader->setQuery(settings.queryCondition, message)) {
            m_ui.message(u"Error"_s, message, UserInterface::Icon::Critical);
            m_reader.reset();
            return false;
        }
    }
    m_total = m_reader->total();

    if (!m_writer.createOutputFile(settings.file)) {
        m_reader.reset();
        return false;
    }
    m_complete = false;
    if (includeHeader) {
        m_writer.startLine();
        for (const ExportFieldEntry &field : std::as_const(m_fields))
            m_writer.writeField(headerName(field), u"@s50"_s, true);
        if (!m_writer.writeLine()) {
            m_writer.discardOutputFile();
            return false;
        }
    }
    return true;
}

const CategoryRecord &AdvancedExport::categoryOf(const QString &name)
{
    const QString key = name.toUpper();
    auto it = m_categories.constFind(key);
    if (it == m_categories.cend()) {
        CategoryRecord record;
        if (!name.isEmpty() && !m_collection.categories().get(name, record))
            record = {};
        it = m_categories.insert(key, record);
    }
    return *it;
}

QString AdvancedExport::headerName(const ExportFieldEntry &field)
{
    const QString picture = field.picture.trimmed();
    const QChar kind = picture.size() >= 2 ? picture.at(1).toUpper() : QChar();
    static const QStringList dates{u"URL:LASTVISIT"_s, u"URL:LASTVALIDATED"_s, u"URL:EXPIRES"_s};
    const bool formatted = kind != u'S' && kind != u'N';
    if (picture.isEmpty() || (!formatted && !dates.contains(field.name.toUpper())))
        return field.name;
    return field.name + picture;
}

AdvancedExport::Step AdvancedExport::step(int records)
{
    if (!m_writer.isOpen() || !m_reader)
        return Step::Failed;
    LocationRecord location;
    for (int i = 0; i < records; ++i) {
        if (!m_reader->next(location)) {
            if (m_reader->status()) {
                m_complete = true;
                return Step::Done;
            }
            m_ui.message(u"Error"_s, m_reader->status().describe(), UserInterface::Icon::Critical);
            return Step::Failed;
        }
        const CategoryRecord &category = categoryOf(location.Category);
        m_writer.startLine();
        for (const ExportFieldEntry &field : std::as_const(m_fields))
            m_writer.writeField(value(field.name, location, category), field.picture);
        if (!m_writer.writeLine())
            return Step::Failed;
        ++m_written;
    }
    return Step::More;
}

bool AdvancedExport::close()
{
    m_reader.reset();
    if (!m_writer.isOpen())
        return false;
    if (!m_complete) {
        // Stopped or failed before the last location: no partial file under the name.
        m_writer.discardOutputFile();
        return false;
    }
    return m_writer.closeOutputFile();
}

bool AdvancedExport::run(const AdvancedExportSettings &settings,
                         const QList<ExportFieldEntry> &fields,
                         bool includeHeader)
{
    if (!open(settings, fields, includeHeader))
        return false;
    Step s;
    while ((s = step()) == Step::More) {
    }
    const bool closed = close();
    return s == Step::Done && closed;
}

int AdvancedExport::percent() const
{
    if (m_total <= 0)
        return 100;
    return static_cast<int>(std::min<qint64>(100, m_written * 100 / m_total));
}

} // namespace pk
