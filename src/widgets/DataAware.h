#pragma once
// Text typed into a bound box or grid cell may not be written to its field
// yet (a number half typed, an open cell editor). Before a dataset is posted
// or left, such text must reach the field or stop the operation; every
// data-aware control takes part in that by registering here.

namespace db {
class Dataset;
}

class DataAwareControl
{
public:
    DataAwareControl();
    virtual ~DataAwareControl();
    DataAwareControl(const DataAwareControl &) = delete;
    DataAwareControl &operator=(const DataAwareControl &) = delete;

    /// The dataset whose current row the control shows; nullptr when unbound.
    virtual db::Dataset *linkedDataset() const = 0;
    /// Writes text typed and not yet written into its field. Throws
    /// db::DataError when the text does not fit the field; the text stays.
    virtual void updateRecord() = 0;
};

/// Writes the pending text of every control bound to `dataset` (before a post
/// or a move). Throws db::DataError from the first text that does not fit.
void updateRecord(db::Dataset *dataset);
