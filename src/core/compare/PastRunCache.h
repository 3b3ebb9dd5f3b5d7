#pragma once
// The past-run files of one comparison run, each read and parsed once, keyed by horse ID.
//
// A run compares every pair of runners of a race, and the same horse's file takes part in up
// to 17 pairs of every race it runs in. The cache parses each file once into numbers, turns
// every 18-byte opponent name into a small integer (one name table for the whole run — per lane,
// below — so a name test is an integer test) and indexes each file by opponent: for every name, the (line, entry)
// places where it occurs among the first n field entries of a line, in file order.
//
// The files must not change during the run; make a new cache for the next run, or keep one over
// the days of a run over many days (NextDay), which then reads each file once for all of them.
//
// A run that knows its horses up front hands them to ReadAhead: a second thread then reads their
// past-run and prediction files from the last horse back while the caller does other work (the
// day loader places payouts and odds meanwhile) and then walks the horses from the first on.
// Whichever thread comes to a file first reads it; the other waits for it. Going opposite ways,
// the two meet once: walking the same way, the caller would catch up with the thread and wait
// on nearly every file. With every file read, the thread goes on parsing them from the last back
// in lane 1, the lane of the comparison thread that takes races from the last one back, until
// EndReadAhead.
//
// A run may compare races on two threads at once: each thread parses and looks names up in a lane
// of its own (its own name table, its own parsed copy of a file), so the threads share only the
// bytes read. A lane is used by one thread at a time; the names of two files compare as integers
// only when both were parsed in the same lane. All the IDs a multi-lane run asks for must have
// been handed to ReadAhead or Expect first (the threads then only look entries up, never add them).
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "app/Files.h"
#include "compare/PastRunFile.h"
#include "jvlink/RecordFile.h"

namespace kv {

// One field entry of a past-run line, parsed.
struct PastRunRunner {
  int name = -1;   // id in the run's name table; PastRunCache::kBlankName for a blank name
  int time = 0;    // tenths of a second; 0 = no time
  int weight = 0;  // carried weight in 0.1 kg
};

// One past-run line, parsed: the values the comparison reads.
struct PastRunRace {
  int date = 0;      // yyyymmdd
  int runners = 0;   // registered runners n, clamped to 0..18: the entries to scan
  int weight = 0;    // the horse's own carried weight in 0.1 kg
  int time = 0;      // the horse's own time in tenths of a second
  int finalPos = 0;  // the horse's own final position
  std::array<PastRunRunner, kak::kEntries> field{};
};

// Where an opponent occurs in a file.
struct PastRunPlace {
  int line;
  int entry;
};

// The places of one opponent in a file, in file order.
struct PastRunPlaces {
  const PastRunPlace* first = nullptr;
  const PastRunPlace* last = nullptr;
  const PastRunPlace* begin() const { return first; }
  const PastRunPlace* end() const { return last; }
  bool empty() const { return first == last; }
};

struct PastRunIndex {
  std::vector<PastRunRace> races;  // file order (oldest first)
  // Every place of every non-blank name, grouped by name id (groups in ascending id order), in
  // file order within a group (line ascending, then entry ascending); names[g] is the id of group
  // g and starts[g]..starts[g + 1] its places. Blank names are not indexed.
  std::vector<PastRunPlace> places;
  std::vector<int> names;
  std::vector<int> starts;

  // The places of a name; none when the file does not hold it.
  PastRunPlaces Find(int name) const;
};

class PastRunCache {
 public:
  static constexpr int kBlankName = -1;    // a name of ASCII blanks only
  static constexpr int kUnknownName = -2;  // a name that occurs in no file read so far
  static constexpr int kLanes = 2;

  explicit PastRunCache(fs::path programFolder)
      : programFolder_(std::move(programFolder)), pastRunFolder_(PastRunFolder(programFolder_)) {}
  ~PastRunCache();
  PastRunCache(const PastRunCache&) = delete;
  PastRunCache& operator=(const PastRunCache&) = delete;

  // Starts reading the files of these horses, from the last back, on a second thread: each
  // horse's past-run file, then its prediction file unless withPredictions (when not empty) says
  // no for it. IDs that are not ten digits or whose files were read already are left out. While
  // a read-ahead runs, a later call only makes the entries of IDs not seen yet. Get and File
  // wait for a file the thread has taken and not finished, and read a file themselves when they
  // come to it first. Where no thread can be started, every file is read when asked for, as
  // without a read-ahead.
  void ReadAhead(const std::vector<std::string>& horseIds, const std::vector<bool>& withPredictions = {});

  // Stops the read-ahead where it is and waits for its thread: lane 1 is then free for the
  // caller's threads. Files it has not read are read when asked for. A later ReadAhead starts
  // a new one.
  void EndReadAhead() { StopReadAhead(); }

  // A cache kept over the days of a run over many days reads and parses each file once for all
  // of them. The files must not change meanwhile (the run holds the program folder; prediction
  // files change only through the run's batch, which is asked before the cache). Called before
  // each day: ends a read-ahead still running and, when the cache holds more than keepBytes
  // (files read and their parsed indexes), forgets the horses asked for least recently until
  // it holds at most three quarters of that. What is forgotten is read again when asked for.
  static constexpr size_t kKeepBytes = size_t{256} << 20;
  void NextDay(size_t keepBytes = kKeepBytes);
  // Forgets every prediction file read so far (read again when asked for): after the run's batch
  // was written, the copies are older than the files.
  void ForgetPredictionFiles();
  // What the files and parsed indexes the cache holds take, in bytes (an estimate).
  size_t HeldBytes() const { return contentBytes_.load(std::memory_order_relaxed) + files_.size() * kEntryBytes; }
  // The horses whose files the cache holds (read or still to be read).
  size_t HeldHorses() const { return files_.size(); }

  // Makes the entries of these horses without reading anything yet (IDs that are not ten digits
  // are left out), so that threads may then ask for them together.
  void Expect(const std::vector<std::string>& horseIds);

  // The parsed file of a horse, parsed in the given lane (0 .. kLanes - 1). nullptr when there is
  // none: the ID is not ten digits, the file does not exist, or it is damaged or unreadable — then
  // error is set to the CP932 message naming the file (left empty otherwise). Each file is read at
  // most once per cache and parsed at most once per lane.
  const PastRunIndex* Get(std::string_view horseId, std::string* error = nullptr, int lane = 0);

  // The file of a horse as read (framing checked), for a reader of its raw lines such as the day
  // loader; read at most once per cache and shared with Get, which parses it when first asked.
  // nullptr when the ID is not ten digits.
  const RecordFile* File(std::string_view horseId);

  // The prediction file of a horse as read (framing checked): read at most once per cache (by the
  // read-ahead after all past-run files), so that the day loader's marks and the merge of the
  // day's lines share one read. Once the run has written the day's lines these copies are old:
  // the next run makes a new cache (or forgets them, ForgetPredictionFiles). nullptr when the ID
  // is not ten digits.
  const RecordFile* PredictionFile(std::string_view horseId);

  // The id of an 18-byte name in a lane: kBlankName for blanks, kUnknownName when no file parsed
  // in that lane so far holds it (such a name matches nothing).
  int NameId(std::string_view name, int lane = 0) const;

  // Parses lines into an index using the lane's name table (files are read through Get).
  PastRunIndex Parse(const RecordFile& file, int lane = 0);

  const fs::path& programFolder() const { return programFolder_; }
  // The SEI folder, as looked up when the cache was made (PastRunFolder).
  const fs::path& pastRunFolder() const { return pastRunFolder_; }

 private:
  // An entry's states. Only the thread that moved one from kUnread to kReading writes what it
  // guards until it stores kRead (release); a reader sees it after loading kRead (acquire). A
  // thread that finds kReading sleeps on stateChanged_ (a condition variable: the standard
  // atomic wait of one of the supported compilers can miss its wake-up).
  enum : int { kUnread = 0, kReading = 1, kRead = 2 };
  struct Entry {
    std::atomic<int> state{kUnread};
    RecordFile file;
    // Per lane, written only by the lane's thread: parsed is set once index is what parsing gave
    // (null when there is no usable file).
    std::array<bool, kLanes> parsed{};
    std::array<std::unique_ptr<PastRunIndex>, kLanes> index;
    std::atomic<int> predictionState{kUnread};  // guards predictions the same way
    RecordFile predictions;
    std::uint64_t lastDay = 0;  // the day (NextDay count) its horse was last expected on
    size_t ContentBytes() const;  // the files and indexes it holds
  };
  static size_t IndexBytes(const PastRunIndex& index);
  static constexpr size_t kEntryBytes = sizeof(Entry) + sizeof(std::string) + 4 * sizeof(void*);  // with its map node
  // Horse IDs are looked up by their bytes, without making a string.
  struct IdHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  // The run's names: id n is the n-th name added. An open-addressed table whose slots hold the
  // name's bytes themselves (names are 18 bytes; up to 24 fit a slot): a lookup hashes the bytes
  // in place, makes no string and touches one slot per probe (a run looks up every field entry of
  // every file it reads). Longer names are compared with their copy in bytes_.
  class NameTable {
   public:
    int Find(std::string_view name) const;  // -1 when absent
    int Add(std::string_view name);         // the name's id, added when absent
   private:
    static constexpr size_t kInline = 24;
    struct Key {
      std::uint64_t words[3] = {0, 0, 0};  // the first kInline bytes, zero-padded
      std::uint32_t size = 0;
      bool operator==(const Key&) const = default;
    };
    struct SlotEntry {
      Key key;
      int id = -1;  // -1: empty
    };
    static Key KeyOf(std::string_view name);
    static std::uint64_t Hash(const Key& k);
    size_t Slot(const Key& key, std::string_view name, std::uint64_t hash) const;
    std::string_view Name(int id) const {
      return std::string_view(bytes_).substr(starts_[static_cast<size_t>(id)],
                                             starts_[static_cast<size_t>(id) + 1] - starts_[static_cast<size_t>(id)]);
    }
    std::string bytes_;
    std::vector<size_t> starts_{0};  // name n is bytes_[starts_[n], starts_[n + 1])
    std::vector<SlotEntry> slots_;   // size a power of two
  };
  // The lane the read-ahead parses in once every file is read: that of the comparison thread
  // that takes races from the last one back.
  static constexpr size_t kReadAheadLane = 1;
  static_assert(kReadAheadLane < kLanes);
  Entry& Read(std::string_view horseId);
  // Parse, for an entry: what the index takes is counted in contentBytes_.
  std::unique_ptr<PastRunIndex> ParseKept(const RecordFile& file, int lane);
  // Reads the file of an entry this thread has moved to kReading, then marks it kRead.
  void Fill(Entry& entry, std::string_view horseId);
  void FillPredictions(Entry& entry, std::string_view horseId);
  Entry& EntryOf(std::string_view horseId);
  void ReadAll();  // the read-ahead thread's work
  static bool TryClaim(std::atomic<int>& state);  // kUnread -> kReading by this thread
  void Publish(std::atomic<int>& state);          // kRead, and every waiter woken
  void WaitUntilRead(std::atomic<int>& state);
  void StopReadAhead();

  fs::path programFolder_;
  fs::path pastRunFolder_;  // looked up once: the files must not move during the run
  std::unordered_map<std::string, Entry, IdHash, std::equal_to<>> files_;  // by horse ID
  std::array<NameTable, kLanes> names_;  // per lane
  // The two files a lane asked for last: a comparison asks for the same two horses again and
  // again (a pair, then the first horse with the next one), so most asks skip the map.
  struct Recent {
    std::array<char, kak::kHorseIdLen> id{};
    Entry* entry = nullptr;
  };
  std::array<std::array<Recent, 2>, kLanes> recent_{};
  struct Ahead {
    Entry* entry;
    std::string_view id;  // the key of its node in files_
    bool predictions;     // its prediction file read too
  };
  std::vector<Ahead> ahead_;  // the read-ahead's horses in the caller's order; fixed while the thread runs
  std::uint64_t day_ = 0;     // NextDay calls so far
  std::atomic<size_t> contentBytes_{0};  // the ContentBytes of every entry, kept as files are read and parsed
  std::atomic<bool> stop_{false};
  std::mutex stateMutex_;
  std::condition_variable stateChanged_;
  std::thread reader_;
};

}  // namespace kv
