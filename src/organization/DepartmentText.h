#pragma once
// The department as tab-separated lines, one member a line in list order:
// what the command-line department tool prints and tests compare.

#include <QString>

class Department;
class QIODevice;
struct TDepMember;

namespace departmenttext {

/// "Level Id Name PersonalPoints GroupPoints Status Bonus Reserve", tab-separated,
/// with a ninth column "Detail" when `detail` is set; no line end.
QString header(bool detail);

/// One member of `department`: numbers in general format with a full stop,
/// the status as 0/1/2. Line feeds, carriage returns and tabs inside texts
/// are written as \n, \r and \t so that one member stays one line. No line end.
QString line(const Department &department, const TDepMember &member, bool detail);

/// Header and every member, each line ended by a line feed.
QString table(const Department &department, bool detail);

/// The same text written to `device` in UTF-8, a piece at a time. Returns
/// false when the device took less than it was given.
bool write(QIODevice &device, const Department &department, bool detail);

} // namespace departmenttext
