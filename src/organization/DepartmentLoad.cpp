// Loading a department: the customer table is read once and the downline is
// built in memory. Going member by member through the sponsor look-up would
// cost one statement per member; one pass keeps the root of a large customer
// base within a small multiple of a plain read of the table.

#include "Department.h"

#include "engine/Connection.h"
#include "engine/Statement.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

namespace {

const QString kColumns = QStringLiteral("select id, id_customer, sname, totalpoints, reserve from customer");

QString levelMessage(const QString &id)
{
    return QStringLiteral("Error - ") + id;
}

/// One customer row as read, text kept as UTF-8 in one shared buffer.
struct RawCustomer
{
    quint32 id, idLength;
    quint32 sponsor, sponsorLength; // id_customer, null read as empty
    quint32 name, nameLength;
    double points, reserve;
};

/// Would QString::trimmed change this text? Only looked at closely when an end
/// is not plain printable ASCII.
bool mayNeedTrim(std::string_view text)
{
    if (text.empty())
        return false;
    const auto plain = [](unsigned char c) { return c > 0x20 && c < 0x7F; };
    return !plain(static_cast<unsigned char>(text.front())) || !plain(static_cast<unsigned char>(text.back()));
}

class Loader
{
public:
    explicit Loader(sqlite3 *handle) : m_handle(handle) {}

    std::vector<TDepMember> load(const QString &id)
    {
        TDepMember head;
        head.Level = 1;
        try {
            readHead(id, head);
        } catch (const db::DataError &error) {
            throw DepLoadError(error.text(), {});
        }
        try {
            readAll();
        } catch (const db::DataError &error) {
            // The head's own downline look-up failed before it created anyone.
            throw DepLoadError(error.text(), {levelMessage(QString())});
        }
        group();
        walk(head.Id);
        return members(std::move(head));
    }

private:
    static constexpr qint32 kHead = -1;

    /// One level of the downline being created.
    struct Frame
    {
        quint32 group;
        quint32 next;  // position in m_children of the next member to create
        qint32 member; // index in m_order of the member whose downline this is
    };

    std::string_view view(quint32 offset, quint32 length) const
    {
        return std::string_view(m_text.data() + offset, length);
    }

    quint32 store(sqlite3_stmt *stmt, int column, quint32 &length)
    {
        const auto *chars = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
        const int bytes = sqlite3_column_bytes(stmt, column);
        const auto offset = quint32(m_text.size());
        if (chars)
            m_text.append(chars, std::size_t(bytes));
        length = quint32(chars ? bytes : 0);
        return offset;
    }

    static QString text(db::Statement &query, int column) { return query.text(column).trimmed(); }

    void readHead(const QString &id, TDepMember &head)
    {
        db::Statement query(m_handle, kColumns + QStringLiteral(" where id = :id"));
        query.bind(QStringLiteral(":id"), id);
        if (!query.step())
            return; // no such customer: a head without one, over the customers without a sponsor
        head.Id = text(query, 0);
        head.SponsorId = text(query, 1);
        head.Name = text(query, 2);
        head.PersonalPoints = Department::RoundHundredths(query.real(3));
        head.Reserve = Department::RoundHundredths(query.real(4));
    }

    void readAll()
    {
        db::Statement query(m_handle, kColumns);
        sqlite3_stmt *stmt = query.handle();
        while (query.step()) {
            RawCustomer row;
            row.id = store(stmt, 0, row.idLength);
            row.sponsor = store(stmt, 1, row.sponsorLength);
            row.name = store(stmt, 2, row.nameLength);
            row.points = sqlite3_column_double(stmt, 3);
            row.reserve = sqlite3_column_double(stmt, 4);
            m_rows.push_back(row);
        }
    }

    /// Groups the rows by sponsor key, each group in table order until it is
    /// first needed and sorted.
    void group()
    {
        m_groupOf.reserve(m_rows.size());
        std::vector<quint32> rowGroup(m_rows.size());
        for (std::size_t r = 0; r < m_rows.size(); ++r) {
            const auto [it, added] = m_groupOf.try_emplace(view(m_rows[r].sponsor, m_rows[r].sponsorLength),
                                                           quint32(m_groupStart.size()));
            if (added)
                m_groupStart.push_back(0);
            rowGroup[r] = it->second;
            ++m_groupStart[it->second];
        }
        // Counts to start positions (one extra entry closes the last group).
        quint32 start = 0;
        for (quint32 &g : m_groupStart)
            start += std::exchange(g, start);
        m_groupStart.push_back(start);
        m_children.resize(m_rows.size());
        std::vector<quint32> fill(m_groupStart.begin(), m_groupStart.end() - 1);
        for (std::size_t r = 0; r < m_rows.size(); ++r)
            m_children[fill[rowGroup[r]]++] = quint32(r);
        m_sorted.assign(m_groupStart.size() - 1, false);
        m_onPath.assign(m_groupStart.size() - 1, false);
        m_names.resize(m_rows.size());
        m_ids.resize(m_rows.size());
        m_nameRead.assign(m_rows.size(), false);
        m_idRead.assign(m_rows.size(), false);
    }

    const QString &rawName(quint32 row)
    {
        QString &name = m_names[row];
        if (!m_nameRead[row]) {
            const std::string_view text = view(m_rows[row].name, m_rows[row].nameLength);
            name = QString::fromUtf8(text.data(), qsizetype(text.size()));
            m_nameRead[row] = true;
        }
        return name;
    }

    const QString &trimmedId(quint32 row)
    {
        QString &id = m_ids[row];
        if (!m_idRead[row]) {
            const std::string_view text = view(m_rows[row].id, m_rows[row].idLength);
            id = QString::fromUtf8(text.data(), qsizetype(text.size()));
            if (mayNeedTrim(text))
                id = id.trimmed();
            m_idRead[row] = true;
        }
        return id;
    }

    /// The group of the customers whose sponsor is exactly `id` (a trimmed
    /// Id), sorted by name as "order by sname" on the connection orders them;
    /// -1 when nobody names it.
    qint64 childrenOf(const QString &id, std::string_view rawId, bool raw)
    {
        QByteArray utf8;
        std::string_view key = rawId;
        if (!raw) {
            utf8 = id.toUtf8();
            key = std::string_view(utf8.constData(), std::size_t(utf8.size()));
        }
        const auto it = m_groupOf.find(key);
        if (it == m_groupOf.end())
            return -1;
        const quint32 g = it->second;
        if (!m_sorted[g]) {
            // The connection's NOCASE collation: case-insensitive first, then
            // case-sensitive; equal names keep table order.
            auto *begin = m_children.data() + m_groupStart[g];
            auto *end = m_children.data() + m_groupStart[g + 1];
            for (auto *p = begin; p != end; ++p)
                rawName(*p);
            std::stable_sort(begin, end, [this](quint32 a, quint32 b) {
                const QString &x = m_names[a];
                const QString &y = m_names[b];
                int c = QString::compare(x, y, Qt::CaseInsensitive);
                if (c == 0)
                    c = QString::compare(x, y, Qt::CaseSensitive);
                return c < 0;
            });
            m_sorted[g] = true;
        }
        return g;
    }

    qint64 childrenOfRow(quint32 row)
    {
        const std::string_view raw = view(m_rows[row].id, m_rows[row].idLength);
        return childrenOf(trimmedId(row), raw, !mayNeedTrim(raw));
    }

    /// Pre-order over the sponsor groups with an explicit stack, so a deep
    /// downline cannot overflow the call stack. A member whose Id repeats one
    /// above it would make its downline contain itself forever: a load failure.
    void walk(const QString &headId)
    {
        std::vector<Frame> stack;
        const QByteArray headUtf8 = headId.toUtf8();
        const qint64 headGroup = childrenOf(headId, std::string_view(headUtf8.constData(), std::size_t(headUtf8.size())), true);
        if (headGroup >= 0) {
            stack.push_back({quint32(headGroup), m_groupStart[headGroup], kHead});
            m_onPath[headGroup] = true;
        }
        while (!stack.empty()) {
            Frame &top = stack.back();
            if (top.next == m_groupStart[top.group + 1]) {
                m_onPath[top.group] = false;
                stack.pop_back();
                continue;
            }
            const quint32 row = m_children[top.next++];
            const qint32 parent = top.member;
            const qint32 index = qint32(m_order.size());
            m_order.push_back(row);
            m_parent.push_back(parent);
            const qint64 g = childrenOfRow(row);
            if (g < 0)
                continue;
            if (m_onPath[g])
                throw cycle(stack, row);
            m_onPath[g] = true;
            stack.push_back({quint32(g), m_groupStart[g], index});
        }
    }

    DepLoadError cycle(const std::vector<Frame> &stack, quint32 row)
    {
        // Innermost first: each level names the member it was creating.
        QStringList messages;
        messages << levelMessage(trimmedId(row));
        for (auto it = stack.rbegin(); it != stack.rend(); ++it)
            if (it->member != kHead)
                messages << levelMessage(trimmedId(m_order[std::size_t(it->member)]));
        return DepLoadError(QStringLiteral("Customer %1 is in its own downline: the sponsor links form a circle")
                                .arg(trimmedId(row)),
                            messages);
    }

    std::vector<TDepMember> members(TDepMember head)
    {
        std::vector<TDepMember> result(m_order.size() + 1);
        head.Row = 1;
        result[0] = std::move(head);
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            const RawCustomer &raw = m_rows[m_order[i]];
            TDepMember &m = result[i + 1];
            m.Id = trimmedId(m_order[i]);
            const std::string_view sponsor = view(raw.sponsor, raw.sponsorLength);
            m.SponsorId = QString::fromUtf8(sponsor.data(), qsizetype(sponsor.size()));
            if (mayNeedTrim(sponsor))
                m.SponsorId = m.SponsorId.trimmed();
            m.Name = rawName(m_order[i]).trimmed();
            m.PersonalPoints = Department::RoundHundredths(raw.points);
            m.Reserve = Department::RoundHundredths(raw.reserve);
            m.Parent = &result[std::size_t(m_parent[i] + 1)];
            m.Level = m.Parent->Level + 1;
            m.Row = qint32(i + 2);
        }
        return result;
    }

    sqlite3 *m_handle;
    std::string m_text;
    std::vector<RawCustomer> m_rows;
    std::unordered_map<std::string_view, quint32> m_groupOf;
    std::vector<quint32> m_groupStart; // group g holds m_children[start[g], start[g+1])
    std::vector<quint32> m_children;
    std::vector<bool> m_sorted, m_onPath;
    std::vector<QString> m_names, m_ids; // decoded on first use
    std::vector<bool> m_nameRead, m_idRead;
    std::vector<quint32> m_order;        // rows of the members after the head, in pre-order
    std::vector<qint32> m_parent;        // index in m_order of each one's sponsor, kHead for the head
};

} // namespace

void Department::LoadDepartment(db::Connection &connection, const QString &id)
{
    if (!connection.isConnected())
        throw DepLoadError(QStringLiteral("The database is not connected"), {});
    m_members = Loader(connection.handle()).load(id);
}
