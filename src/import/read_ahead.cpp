#include "import/import_file.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace {

constexpr size_t BatchRows = 256;
constexpr size_t BatchesAhead = 8;

struct ReadRow {
    ImportRow cells;
    qint64 number = 0;
    double progress = 0;
};
using Batch = std::vector<ReadRow>;

// Reads the inner reader on its own thread into a few batches of rows, waiting while the caller is
// that far behind; the caller takes the rows in order, and a failure of the reading where the
// caller reaches it.
class ReadAhead : public ImportReader {
public:
    explicit ReadAhead(std::unique_ptr<ImportReader> inner) : m_inner(std::move(inner)) {
        m_facts = m_inner->facts();
        m_captions = m_inner->captions();
        m_thread = std::thread([this] { readAll(); });
    }

    ~ReadAhead() override {
        {
            const std::lock_guard lock(m_mutex);
            m_stopped = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    bool next(ImportRow& row) override {
        if (m_at == m_batch.size() && !takeBatch())
            return false;
        ReadRow& taken = m_batch[m_at++];
        row.swap(taken.cells);
        m_number = taken.number;
        m_progress = taken.progress;
        return true;
    }

    qint64 rowNumber() const override { return m_number; }
    double progress() const override { return m_progress; }

private:
    void readAll() {
        try {
            Batch batch;
            ImportRow row;
            while (m_inner->next(row)) {
                batch.push_back({std::move(row), m_inner->rowNumber(), m_inner->progress()});
                row = {};
                if (batch.size() < BatchRows)
                    continue;
                if (!hand(std::move(batch)))
                    return;
                batch.clear();
            }
            hand(std::move(batch));
        } catch (...) {
            const std::lock_guard lock(m_mutex);
            m_failure = std::current_exception();
        }
        {
            const std::lock_guard lock(m_mutex);
            m_ended = true;
        }
        m_changed.notify_all();
    }

    // False when the caller has gone.
    bool hand(Batch batch) {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_stopped || m_ready.size() < BatchesAhead; });
        if (m_stopped)
            return false;
        if (!batch.empty())
            m_ready.push_back(std::move(batch));
        lock.unlock();
        m_changed.notify_all();
        return true;
    }

    bool takeBatch() {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_ended; });
        if (m_ready.empty()) {
            if (m_failure)
                std::rethrow_exception(m_failure);
            return false;
        }
        m_batch = std::move(m_ready.front());
        m_ready.pop_front();
        m_at = 0;
        lock.unlock();
        m_changed.notify_all();
        return true;
    }

    std::unique_ptr<ImportReader> m_inner;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Batch> m_ready;
    std::exception_ptr m_failure;
    bool m_stopped = false;
    bool m_ended = false;
    std::thread m_thread;

    Batch m_batch;
    size_t m_at = 0;
    qint64 m_number = 0;
    double m_progress = 0;
};

} // namespace

std::unique_ptr<ImportReader> readAhead(std::unique_ptr<ImportReader> reader) {
    return std::make_unique<ReadAhead>(std::move(reader));
}
