// Loading a department: the customers are read once, in one pass over the
// source, and the downline is built in memory. Going member by member through
// the sponsor look-up would cost one statement per member; one pass keeps the
// root of a large customer base within a small multiple of a plain read of
// the table.

#include "Department.h"

#include "CustomerSource.h"

#include "engine/NameOrder.h"
#include "engine/Rounding.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

template <class T>
void release(std::vector<T> &buffer)
{
    std::vector<T>().swap(buffer);
}

QString levelMessage(const QString &id)
{
    return QStringLiteral("Error - ") + id;
}

/// Would QString::trimmed change this text? Only looked at closely when an end
/// is not plain printable ASCII.
bool mayNeedTrim(std::string_view text)
{
    if (text.empty())
        return false;
    const auto plain = [](unsigned char c) { return c > 0x20 && c < 0x7F; };
    return !plain(static_cast<unsigned char>(text.front())) || !plain(static_cast<unsigned char>(text.back()));
}

QString decode(std::string_view text)
{
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
    return ascii ? QString::fromLatin1(text.data(), qsizetype(text.size()))
                 : QString::fromUtf8(text.data(), qsizetype(text.size()));
}

/// Sponsor key to group: open addressing over keys that stay in the loader's
/// text buffer. Much cheaper than a node-based map for 10^5 keys.
class GroupIndex
{
public:
    void reserve(std::size_t keys)
    {
        std::size_t size = 16;
        while (size < keys * 2)
            size *= 2;
        m_slots.assign(size, 0);
        m_keys.reserve(keys);
    }

    /// The group of `key`, added as the next group when new.
    std::pair<quint32, bool> insert(std::string_view key)
    {
        std::size_t slot = hash(key) & (m_slots.size() - 1);
        while (m_slots[slot] != 0) {
            if (m_keys[m_slots[slot] - 1] == key)
                return {m_slots[slot] - 1, false};
            slot = (slot + 1) & (m_slots.size() - 1);
        }
        m_keys.push_back(key);
        m_slots[slot] = quint32(m_keys.size());
        return {quint32(m_keys.size() - 1), true};
    }

    /// The group of `key`, or -1.
    qint32 find(std::string_view key) const
    {
        if (m_slots.empty())
            return -1;
        std::size_t slot = hash(key) & (m_slots.size() - 1);
        while (m_slots[slot] != 0) {
            if (m_keys[m_slots[slot] - 1] == key)
                return qint32(m_slots[slot] - 1);
            slot = (slot + 1) & (m_slots.size() - 1);
        }
        return -1;
    }

private:
    static std::size_t hash(std::string_view key)
    {
        std::uint64_t h = 14695981039346656037ull; // FNV-1a, then mixed for the low bits
        for (const char c : key)
            h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        return std::size_t(h ^ (h >> 29));
    }

    std::vector<quint32> m_slots; // group + 1; 0 is free
    std::vector<std::string_view> m_keys;
};

class Loader
{
public:
    explicit Loader(CustomerSource &customers) : m_customers(customers) {}

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
        // What only the sort and the walk needed makes room for the members.
        release(m_keys);
        release(m_nameKeys);
        release(m_childGroup);
        release(m_children);
        m_groupOf = GroupIndex();
        return members(std::move(head));
    }

private:
    static constexpr qint32 kHead = -1;

    /// One customer as read: its texts stay in shared buffers and become
    /// texts of their own only for the members, in list order, so that the
    /// members' texts lie in memory in the order they are read back. What
    /// the sort and the walk look up row by row is kept apart in small
    /// arrays (m_nameKeys, m_childGroup), which stay in the cache.
    struct Row
    {
        double points, reserve;         // as stored
        quint32 id, idLength;           // UTF-8 of the trimmed id, in m_text
        quint32 sponsor, sponsorLength; // UTF-8 of id_customer (null as empty), in m_text
        quint32 name, nameLength;       // sname as stored, decoded, in m_names
        bool trimName;                  // the name has blanks to trim
    };

    /// A name's sort key: its place in m_keys and its first four units,
    /// which decide most comparisons without going to m_keys.
    struct NameKey
    {
        quint64 prefix; // the units from the most significant end, zeros past the key's end
        quint32 at, length;
    };

    /// One level of the downline being created.
    struct Frame
    {
        quint32 group;
        quint32 next;  // position in m_children of the next member to create
        qint32 member; // index in m_order of the member whose downline this is
    };

    std::string_view text(quint32 offset, quint32 length) const
    {
        return std::string_view(m_text.data() + offset, length);
    }

    quint32 keep(std::string_view bytes)
    {
        const auto offset = quint32(m_text.size());
        m_text.append(bytes);
        return offset;
    }

    void readHead(const QString &id, TDepMember &head)
    {
        // No such customer: a head without one, over the customers without a sponsor.
        m_customers.findCustomer(id, [&head](const CustomerRow &row) {
            head.Id = decode(row.id).trimmed();
            head.SponsorId = decode(row.sponsor).trimmed();
            head.Name = decode(row.name).trimmed();
            head.PersonalPoints = db::roundCentsEven(row.totalpoints);
            head.Reserve = db::roundCentsEven(row.reserve);
        });
    }

    void readAll()
    {
        // Sized once for the whole customer base, the buffers are spared
        // their regrowth; a wild hint is only a hint.
        reserve(std::min<std::size_t>(m_customers.customerCountHint(), 4'000'000));
        m_customers.forEachCustomer([this](const CustomerRow &customer) {
            Row &row = m_rows.emplace_back();
            if (mayNeedTrim(customer.id)) {
                const QByteArray id = decode(customer.id).trimmed().toUtf8();
                row.id = keep(std::string_view(id.constData(), std::size_t(id.size())));
                row.idLength = quint32(id.size());
            } else {
                row.id = keep(customer.id);
                row.idLength = quint32(customer.id.size());
            }
            row.sponsor = keep(customer.sponsor);
            row.sponsorLength = quint32(customer.sponsor.size());
            row.points = customer.totalpoints;
            row.reserve = customer.reserve;

            // The name is decoded once: for its sort key, made once per name
            // so that sorting compares keys, and for the member's text.
            // Whether to trim is decided while the name is at hand.
            row.name = quint32(m_names.size());
            appendName(customer.name);
            row.nameLength = quint32(m_names.size()) - row.name;
            const QStringView name = this->name(row);
            row.trimName = mayNeedTrim(customer.name) && !name.isEmpty()
                           && (name.front().isSpace() || name.back().isSpace());
            const auto at = quint32(m_keys.size());
            db::appendNameKey(name, m_keys);
            const auto length = quint32(m_keys.size()) - at;
            quint64 prefix = 0;
            for (quint32 i = 0; i < 4; ++i)
                prefix = prefix << 16 | (i < length ? m_keys[at + i] : 0);
            m_nameKeys.push_back({prefix, at, length});
        });
    }

    /// Appends the name to m_names as QString::fromUtf8 reads it.
    void appendName(std::string_view bytes)
    {
        if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; })) {
            m_names.insert(m_names.end(), bytes.begin(), bytes.end());
            return;
        }
        // A stateless decoder reads each name as fromUtf8 does (a leading
        // byte-order mark dropped, a bad sequence replaced), in place.
        const std::size_t at = m_names.size();
        m_names.resize(at + std::size_t(m_decoder.requiredSpace(qsizetype(bytes.size()))));
        auto *const begin = reinterpret_cast<QChar *>(m_names.data() + at);
        const QChar *end = m_decoder.appendToBuffer(begin, QByteArrayView(bytes.data(), qsizetype(bytes.size())));
        m_names.resize(at + std::size_t(end - begin));
    }

    QStringView name(const Row &row) const
    {
        return QStringView(m_names.data() + row.name, qsizetype(row.nameLength));
    }

    void reserve(std::size_t rows)
    {
        m_rows.reserve(rows);
        m_nameKeys.reserve(rows);
        m_text.reserve(rows * 16);
        m_names.reserve(rows * 16);
        m_keys.reserve(rows * 16);
    }

    /// Groups the rows by sponsor key and finds each row's own group.
    void group()
    {
        m_groupOf.reserve(m_rows.size());
        std::vector<quint32> rowGroup(m_rows.size());
        for (std::size_t r = 0; r < m_rows.size(); ++r) {
            const auto [g, added] = m_groupOf.insert(text(m_rows[r].sponsor, m_rows[r].sponsorLength));
            if (added)
                m_groupStart.push_back(0);
            rowGroup[r] = g;
            ++m_groupStart[g];
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
        m_childGroup.reserve(m_rows.size());
        for (const Row &row : m_rows)
            m_childGroup.push_back(m_groupOf.find(text(row.id, row.idLength)));
        m_sorted.assign(m_groupStart.size() - 1, false);
        m_onPath.assign(m_groupStart.size() - 1, false);
    }

    std::u16string_view key(quint32 row) const
    {
        return std::u16string_view(m_keys.data() + m_nameKeys[row].at, m_nameKeys[row].length);
    }

    /// "order by sname" on the connection: names in the order of its NOCASE
    /// collation (db::compareNames); names it holds equal (equal but for
    /// case) keep table order, as the engine's sort keeps the order it reads
    /// them in.
    bool nameBefore(quint32 a, quint32 b) const
    {
        // A unit of zero sorts first, so zeros past the end of a key order
        // its prefix as the whole key is ordered.
        const quint64 x = m_nameKeys[a].prefix;
        const quint64 y = m_nameKeys[b].prefix;
        if (x != y)
            return x < y;
        int c = key(a).compare(key(b));
        if (c == 0)
            c = db::compareFoldedNames(name(m_rows[a]), name(m_rows[b]));
        return c != 0 ? c < 0 : a < b;
    }

    /// The customers sponsored by `group`'s key, in name order.
    void sort(quint32 group)
    {
        if (m_sorted[group])
            return;
        std::sort(m_children.data() + m_groupStart[group], m_children.data() + m_groupStart[group + 1],
                  [this](quint32 a, quint32 b) { return nameBefore(a, b); });
        m_sorted[group] = true;
    }

    /// Pre-order over the sponsor groups with an explicit stack, so a deep
    /// downline cannot overflow the call stack. A member whose Id repeats one
    /// above it would make its downline contain itself forever: a load failure.
    void walk(const QString &headId)
    {
        std::vector<Frame> stack;
        const QByteArray headKey = headId.toUtf8();
        const qint32 headGroup = m_groupOf.find(std::string_view(headKey.constData(), std::size_t(headKey.size())));
        if (headGroup >= 0) {
            sort(quint32(headGroup));
            stack.push_back({quint32(headGroup), m_groupStart[headGroup], kHead});
            m_onPath[headGroup] = true;
        }
        m_order.reserve(m_rows.size());
        m_parent.reserve(m_rows.size());
        while (!stack.empty()) {
            Frame &top = stack.back();
            if (top.next == m_groupStart[top.group + 1]) {
                m_onPath[top.group] = false;
                stack.pop_back();
                continue;
            }
            const quint32 row = m_children[top.next++];
            const qint32 index = qint32(m_order.size());
            m_order.push_back(row);
            m_parent.push_back(top.member);
            const qint32 g = m_childGroup[row];
            if (g < 0)
                continue;
            if (m_onPath[g])
                throw cycle(stack, row);
            sort(quint32(g));
            m_onPath[g] = true;
            stack.push_back({quint32(g), m_groupStart[g], index});
        }
    }

    DepLoadError cycle(const std::vector<Frame> &stack, quint32 row) const
    {
        // Innermost first: each level names the member it was creating.
        QStringList messages;
        messages << levelMessage(id(m_rows[row]));
        for (auto it = stack.rbegin(); it != stack.rend(); ++it)
            if (it->member != kHead)
                messages << levelMessage(id(m_rows[m_order[std::size_t(it->member)]]));
        return DepLoadError(QStringLiteral("Customer %1 is in its own downline: the sponsor links form a circle")
                                .arg(id(m_rows[row])),
                            messages);
    }

    /// The trimmed Id of a row.
    QString id(const Row &row) const
    {
        return decode(text(row.id, row.idLength));
    }

    std::vector<TDepMember> members(TDepMember head)
    {
        // Each record is made and filled in one go: the list is too large to
        // be gone through twice while it stays in the cache.
        std::vector<TDepMember> result;
        result.reserve(m_order.size() + 1);
        head.Row = 1;
        result.push_back(std::move(head));
        // The rows are visited out of table order; asking for the rows and
        // texts a few members ahead keeps the reads from waiting on memory.
        constexpr std::size_t kAhead = 8;
        for (std::size_t i = 0; i < m_order.size(); ++i) {
            if (i + 2 * kAhead < m_order.size())
                __builtin_prefetch(&m_rows[m_order[i + 2 * kAhead]]);
            if (i + kAhead < m_order.size()) {
                const Row &ahead = m_rows[m_order[i + kAhead]];
                __builtin_prefetch(m_text.data() + ahead.id);
                __builtin_prefetch(m_names.data() + ahead.name);
            }
            const Row &row = m_rows[m_order[i]];
            TDepMember &m = result.emplace_back();
            m.Id = id(row);
            m.Name = row.trimName ? name(row).trimmed().toString() : name(row).toString();
            m.PersonalPoints = db::roundCentsEven(row.points);
            m.Reserve = db::roundCentsEven(row.reserve);
            m.Parent = &result[std::size_t(m_parent[i] + 1)];
            // A member is one because its sponsor text is exactly the
            // parent's (trimmed) Id, so trimming it gives that Id again.
            m.SponsorId = m.Parent->Id;
            m.Level = m.Parent->Level + 1;
            m.Row = qint32(i + 2);
        }
        return result;
    }

    CustomerSource &m_customers;
    std::vector<Row> m_rows;
    std::string m_text;              // ids and sponsors, one after another
    std::vector<char16_t> m_names;   // the names, one after another
    QStringDecoder m_decoder{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    std::vector<char16_t> m_keys;    // the names' sort keys, one after another
    GroupIndex m_groupOf;
    std::vector<quint32> m_groupStart; // group g holds m_children[start[g], start[g+1])
    std::vector<quint32> m_children;
    std::vector<NameKey> m_nameKeys;   // per row
    std::vector<qint32> m_childGroup;  // per row: the group of the customers it sponsors, or -1
    std::vector<bool> m_sorted, m_onPath;
    std::vector<quint32> m_order;    // rows of the members after the head, in pre-order
    std::vector<qint32> m_parent;    // index in m_order of each one's sponsor, kHead for the head
};

} // namespace

void Department::LoadDepartment(CustomerSource &customers, const QString &id)
{
    m_members = Loader(customers).load(id);
}
