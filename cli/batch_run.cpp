#include "cli/batch_run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "cli/output_file.h"
#include "formulas/matherr.h"

namespace valdenta::cli {

namespace {

constexpr std::size_t kReadSize = std::size_t{64} << 10;

/// The input: a file or standard input, read in pieces.
class InputStream {
public:
    explicit InputStream(const std::string& path) : name_(path == "-" ? "standard input" : path) {
        if (path != "-") {
            fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd_ < 0) {
                fail("cannot open");
            }
        }
        struct stat info {};
        if (::fstat(fd_, &info) == 0 && S_ISREG(info.st_mode)) {
            size_ = static_cast<std::uint64_t>(info.st_size);
        }
    }
    ~InputStream() {
        if (fd_ != 0) {
            ::close(fd_);
        }
    }
    InputStream(const InputStream&) = delete;
    InputStream& operator=(const InputStream&) = delete;

    /// Bytes read into `buffer`, 0 at the end.  Throws CliFileError.
    std::size_t read(std::vector<char>& buffer) {
        for (;;) {
            const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                fail("cannot read");
            }
        }
    }

    /// The size of a regular file, for the time left.
    std::optional<std::uint64_t> size() const noexcept { return size_; }

private:
    [[noreturn]] void fail(const char* what) const {
        throw CliFileError(std::string(what) + " " + name_ + ": " + std::strerror(errno));
    }

    std::string name_;
    int fd_ = 0;
    std::optional<std::uint64_t> size_;
};

/// Blocks circulate: free -> filled by the reader -> computed by a worker ->
/// written in sequence by the writer -> free.  Every wait ends when the
/// pipeline is stopped.
class BlockPipeline {
public:
    explicit BlockPipeline(std::size_t blockCount) {
        for (std::size_t i = 0; i < blockCount; ++i) {
            storage_.push_back(std::make_unique<RowBlock>());
            free_.push_back(storage_.back().get());
        }
    }

    /// An empty block, or nullptr once stopped.
    RowBlock* takeFree() {
        std::unique_lock lock(mutex_);
        freeReady_.wait(lock, [&] { return stopped_ || !free_.empty(); });
        if (stopped_) {
            return nullptr;
        }
        RowBlock* block = free_.back();
        free_.pop_back();
        block->clear();
        return block;
    }

    void submit(RowBlock* block) {
        {
            std::lock_guard lock(mutex_);
            block->sequence = submitted_++;
            work_.push_back(block);
        }
        workReady_.notify_one();
    }

    void endInput() {
        {
            std::lock_guard lock(mutex_);
            inputEnded_ = true;
        }
        workReady_.notify_all();
        doneReady_.notify_all();
    }

    /// The next block to compute, or nullptr when there is none left.
    RowBlock* takeWork() {
        std::unique_lock lock(mutex_);
        workReady_.wait(lock, [&] { return stopped_ || inputEnded_ || !work_.empty(); });
        if (stopped_ || work_.empty()) {
            return nullptr;
        }
        RowBlock* block = work_.front();
        work_.pop_front();
        return block;
    }

    void finishWork(RowBlock* block) {
        {
            std::lock_guard lock(mutex_);
            done_.emplace(block->sequence, block);
        }
        doneReady_.notify_one();
    }

    /// The computed block that comes next in input order, or nullptr when all
    /// are written or the pipeline stopped.
    RowBlock* takeNextDone() {
        std::unique_lock lock(mutex_);
        doneReady_.wait(lock, [&] {
            return stopped_ || done_.count(written_) != 0 ||
                   (inputEnded_ && written_ == submitted_);
        });
        const auto next = done_.find(written_);
        if (stopped_ || next == done_.end()) {
            return nullptr;
        }
        RowBlock* block = next->second;
        done_.erase(next);
        ++written_;
        return block;
    }

    void release(RowBlock* block) {
        {
            std::lock_guard lock(mutex_);
            free_.push_back(block);
        }
        freeReady_.notify_one();
    }

    /// Ends the run with `message` (the first one given is kept).
    void stop(const std::string& message) {
        {
            std::lock_guard lock(mutex_);
            if (!stopped_) {
                error_ = message;
            }
            stopped_ = true;
        }
        freeReady_.notify_all();
        workReady_.notify_all();
        doneReady_.notify_all();
    }

    std::optional<std::string> error() const {
        std::lock_guard lock(mutex_);
        if (!stopped_) {
            return std::nullopt;
        }
        return error_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable freeReady_;
    std::condition_variable workReady_;
    std::condition_variable doneReady_;
    std::vector<std::unique_ptr<RowBlock>> storage_;
    std::vector<RowBlock*> free_;
    std::deque<RowBlock*> work_;
    std::map<std::uint64_t, RowBlock*> done_;
    std::uint64_t submitted_ = 0;
    std::uint64_t written_ = 0;
    bool inputEnded_ = false;
    bool stopped_ = false;
    std::string error_;
};

/// Thrown inside the reader when the pipeline stopped under it.
struct PipelineStopped {};

/// Takes the records of the CSV reader: the first one as the header, the
/// others into blocks for the pipeline.
class RecordSink : public CsvSink {
public:
    RecordSink(BlockPipeline& pipeline, const BatchSettings& settings)
        : pipeline_(pipeline), settings_(settings) {}

    void cell(std::string_view text) override {
        if (block_ != nullptr) {
            block_->addCell(text);
        } else {
            header_.emplace_back(text);
        }
    }

    void endRecord(RecordFault fault) override {
        if (block_ == nullptr) {
            headerRead_ = true;
            headerFault_ = fault;
            return;
        }
        block_->endRow(fault);
        if (block_->rows() >= settings_.blockRows || block_->inputBytes() >= settings_.blockBytes) {
            pipeline_.submit(block_);
            startBlock();
        }
    }

    bool headerRead() const noexcept { return headerRead_; }
    RecordFault headerFault() const noexcept { return headerFault_; }
    const std::vector<std::string>& header() const noexcept { return header_; }

    /// From now on records go into blocks.
    void startBlock() {
        block_ = pipeline_.takeFree();
        if (block_ == nullptr) {
            throw PipelineStopped{};
        }
    }

    /// Hands over the last, partly filled block.
    void flush() {
        if (block_->rows() > 0) {
            pipeline_.submit(block_);
        } else {
            pipeline_.release(block_);
        }
        block_ = nullptr;
    }

private:
    BlockPipeline& pipeline_;
    const BatchSettings& settings_;
    RowBlock* block_ = nullptr;
    std::vector<std::string> header_;
    bool headerRead_ = false;
    RecordFault headerFault_ = RecordFault::None;
};

/// Rows done, rows per second and the time left, rewritten in place on a terminal.
class Progress {
public:
    Progress(std::FILE* err, bool enabled, std::optional<std::uint64_t> inputSize)
        : err_(err), enabled_(enabled), inputSize_(inputSize) {}

    void update(std::uint64_t rows, std::uint64_t bytesRead, bool last = false) {
        if (!enabled_) {
            return;
        }
        const auto now = Clock::now();
        if (!last && now - shown_ < std::chrono::milliseconds(250)) {
            return;
        }
        shown_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = seconds > 0 ? static_cast<double>(rows) / seconds : 0.0;
        std::string line = "\r" + std::to_string(rows) + " rows, " +
                           std::to_string(static_cast<std::uint64_t>(rate)) + " rows/s";
        if (inputSize_ && bytesRead > 0 && !last) {
            const double left =
                seconds * static_cast<double>(*inputSize_ - std::min(bytesRead, *inputSize_)) /
                static_cast<double>(bytesRead);
            line += ", " + clockText(static_cast<std::uint64_t>(left)) + " left";
        }
        line += "   ";
        if (last) {
            line += '\n';
        }
        std::fputs(line.c_str(), err_);
        std::fflush(err_);
    }

private:
    using Clock = std::chrono::steady_clock;

    /// "m:ss", or "h:mm:ss" from an hour on.
    static std::string clockText(std::uint64_t seconds) {
        const auto twoDigits = [](std::uint64_t v) {
            return (v < 10 ? "0" : "") + std::to_string(v);
        };
        const std::uint64_t hours = seconds / 3600;
        const std::string minutesAndSeconds =
            twoDigits(seconds / 60 % 60) + ":" + twoDigits(seconds % 60);
        if (hours > 0) {
            return std::to_string(hours) + ":" + minutesAndSeconds;
        }
        return std::to_string(seconds / 60 % 60) + ":" + twoDigits(seconds % 60);
    }

    std::FILE* err_;
    bool enabled_;
    std::optional<std::uint64_t> inputSize_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point shown_{};
};

/// Silences the math library's own report for the duration of a batch: the
/// row's status carries the error that follows it.
class QuietMathErrors {
public:
    QuietMathErrors() : previous_(setMathErrorReporter(&ignore)) {}
    ~QuietMathErrors() { setMathErrorReporter(previous_); }
    QuietMathErrors(const QuietMathErrors&) = delete;
    QuietMathErrors& operator=(const QuietMathErrors&) = delete;

private:
    static void ignore(const std::string&) {}
    MathErrorReporter previous_;
};

/// What follows the header: the rest of the piece that held its end, or the
/// end of the input.
struct AfterHeader {
    std::string rest;
    bool inputEnded = false;
};

/// Feeds the input to `reader` one byte at a time until the header record is
/// complete, so that no data record is read before the plan exists.
AfterHeader readHeader(InputStream& input, CsvReader& reader, const RecordSink& sink,
                       std::vector<char>& buffer, std::atomic<std::uint64_t>& bytesRead) {
    for (;;) {
        const std::size_t got = input.read(buffer);
        bytesRead += got;
        if (got == 0) {
            reader.finish();
            return {{}, true};
        }
        for (std::size_t i = 0; i < got; ++i) {
            reader.feed(std::string_view(&buffer[i], 1));
            if (sink.headerRead()) {
                return {std::string(buffer.data() + i + 1, got - i - 1), false};
            }
        }
    }
}

class BatchRun {
public:
    BatchRun(const BatchSettings& settings, std::FILE* err)
        : settings_(settings),
          err_(err),
          threads_(std::max(settings.threads, 1u)),
          pipeline_(2 * threads_ + 2),
          sink_(pipeline_, settings),
          reader_(sink_),
          buffer_(kReadSize) {}

    int run() {
        InputStream input(settings_.input);
        OutputFile output(settings_.output);
        AfterHeader after = readHeader(input, reader_, sink_, buffer_, bytesRead_);
        if (!sink_.headerRead()) {
            output.commit();  // no header, no rows: an empty output
            return kBatchAllRowsOk;
        }
        if (sink_.headerFault() != RecordFault::None) {
            throw HeaderError("the header record has " +
                              std::string(recordFaultMessage(sink_.headerFault())));
        }
        plan_ = planBatch(sink_.header(), settings_.fill);
        std::fputs(fillNotice(plan_, settings_.fill).c_str(), err_);
        output.write(plan_.outputHeader);

        const QuietMathErrors quiet;
        std::thread readerThread([&] { readRecords(input, after); });
        std::vector<std::thread> workers;
        for (unsigned i = 0; i < threads_; ++i) {
            workers.emplace_back([&] { computeBlocks(); });
        }
        const std::uint64_t failed = writeBlocks(output, input.size());
        readerThread.join();
        for (std::thread& worker : workers) {
            worker.join();
        }
        if (const auto error = pipeline_.error()) {
            throw CliFileError(*error);
        }
        output.commit();
        return failed == 0 ? kBatchAllRowsOk : kBatchSomeRowsFailed;
    }

private:
    void readRecords(InputStream& input, const AfterHeader& after) {
        try {
            sink_.startBlock();
            if (!after.inputEnded) {
                reader_.feed(after.rest);
                while (const std::size_t got = input.read(buffer_)) {
                    bytesRead_ += got;
                    reader_.feed(std::string_view(buffer_.data(), got));
                }
                reader_.finish();
            }
            sink_.flush();
            pipeline_.endInput();
        } catch (const PipelineStopped&) {
            // The writer or a worker ended the run.
        } catch (const std::exception& e) {
            pipeline_.stop(e.what());
        }
    }

    void computeBlocks() {
        try {
            while (RowBlock* block = pipeline_.takeWork()) {
                processBlock(plan_, *block);
                pipeline_.finishWork(block);
            }
        } catch (const std::exception& e) {
            pipeline_.stop(e.what());
        }
    }

    /// Writes the blocks in input order; returns the number of failed rows.
    std::uint64_t writeBlocks(OutputFile& output, std::optional<std::uint64_t> inputSize) {
        Progress progress(err_, settings_.progress, inputSize);
        std::uint64_t rows = 0;
        std::uint64_t failed = 0;
        try {
            while (RowBlock* block = pipeline_.takeNextDone()) {
                output.write(block->out);
                rows += block->rows();
                failed += block->failedRows;
                pipeline_.release(block);
                progress.update(rows, bytesRead_);
            }
        } catch (const std::exception& e) {
            pipeline_.stop(e.what());
        }
        progress.update(rows, bytesRead_, true);
        return failed;
    }

    const BatchSettings& settings_;
    std::FILE* err_;
    unsigned threads_;
    BlockPipeline pipeline_;
    RecordSink sink_;
    CsvReader reader_;
    std::vector<char> buffer_;
    std::atomic<std::uint64_t> bytesRead_{0};
    BatchPlan plan_;
};

}  // namespace

int runBatch(const BatchSettings& settings, std::FILE* err) {
    try {
        BatchRun run(settings, err);
        return run.run();
    } catch (const std::exception& e) {
        std::fprintf(err, "valdenta-cli: %s\n", e.what());
        return kBatchUsageOrFileError;
    }
}

}  // namespace valdenta::cli
