#include "DepartmentText.h"

#include "DepNumbers.h"
#include "Department.h"

#include <span>
#include <vector>

namespace departmenttext {

namespace {

QString escaped(const QString &text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\n':
            result += QLatin1String("\\n");
            break;
        case u'\r':
            result += QLatin1String("\\r");
            break;
        case u'\t':
            result += QLatin1String("\\t");
            break;
        default:
            result += c;
        }
    }
    return result;
}

QString figures(const TDepMember &m)
{
    const QChar tab = u'\t';
    return QString::number(m.Level) + tab + escaped(m.Id) + tab + escaped(m.Name) + tab
           + depnumbers::general(m.PersonalPoints) + tab + depnumbers::general(m.GroupPoints) + tab
           + QString::number(int(m.Status)) + tab + depnumbers::general(m.Bonus) + tab
           + depnumbers::general(m.Reserve);
}

} // namespace

QString header(bool detail)
{
    QString text = QStringLiteral("Level\tId\tName\tPersonalPoints\tGroupPoints\tStatus\tBonus\tReserve");
    if (detail)
        text += QLatin1String("\tDetail");
    return text;
}

QString line(const Department &department, const TDepMember &m, bool detail)
{
    QString text = figures(m);
    if (detail)
        text += u'\t' + escaped(department.Detail(m));
    return text;
}

QString table(const Department &department, bool detail)
{
    QString text = header(detail) + u'\n';
    // Every explanation in one pass: one by one, each would go through the
    // member's whole downline again.
    const std::vector<QString> details = detail ? department.Details() : std::vector<QString>();
    const std::span<const TDepMember> members = department.DepList();
    for (std::size_t i = 0; i < members.size(); ++i) {
        text += figures(members[i]);
        if (detail)
            text += u'\t' + escaped(details[i]);
        text += u'\n';
    }
    return text;
}

} // namespace departmenttext
