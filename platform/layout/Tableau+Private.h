#pragma once

// The simplex tableau that Solver keeps its constraints in.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <unordered_map>
#include <vector>

namespace cassowary::detail {

// The tableau
//
// Every constraint becomes a row `basic = constant + sum(coefficient * parametric)` over
// symbols: external symbols stand for variables; slack symbols turn inequalities into
// equalities; error symbols measure how far a constraint below required is violated; dummy
// symbols mark required equalities so that they can be found again for removal. All but the
// external symbols are restricted to be >= 0, and the tableau keeps every restricted basic
// symbol's constant >= 0, so setting the parametric symbols to 0 is a feasible solution.
//
// The objective is lexicographic: one row per priority, minimised in order. A column index
// (symbol -> rows in which it is parametric) lets a pivot touch only the rows that contain the
// entering symbol, which keeps adding independent constraints cheap however large the tableau.

enum class SymbolType : uint8_t { invalid, external, slack, error, dummy };

constexpr double kEpsilon = 1.0e-8;
inline bool nearZero(double value) {
  return std::fabs(value) < kEpsilon;
}

struct Cell {
  int symbol;
  double coefficient;
};

// A tableau row: its cells sorted by symbol, so that rows combine by merging. Rows are short
// except where a chain of equalities makes each row carry the markers of all before it.
struct Row {
  double constant = 0;
  std::vector<Cell> cells;

  std::vector<Cell>::iterator at(int symbol) {
    return std::lower_bound(cells.begin(), cells.end(), symbol,
                            [](const Cell& cell, int s) { return cell.symbol < s; });
  }
  std::vector<Cell>::const_iterator at(int symbol) const {
    return const_cast<Row*>(this)->at(symbol);
  }
  double coefficientFor(int symbol) const {
    auto found = at(symbol);
    return found != cells.end() && found->symbol == symbol ? found->coefficient : 0;
  }
  bool contains(int symbol) const {
    auto found = at(symbol);
    return found != cells.end() && found->symbol == symbol;
  }
  void reverseSign() {
    constant = -constant;
    for (Cell& cell : cells) cell.coefficient = -cell.coefficient;
  }
  // Turns `0 = this` into `symbol = ...`.
  void solveFor(int symbol) {
    auto found = at(symbol);
    double factor = -1 / found->coefficient;
    cells.erase(found);
    constant *= factor;
    for (Cell& cell : cells) cell.coefficient *= factor;
  }
};

// The callbacks below tell the indexes kept over a row what changed in it:
// (symbol, whether it was present before, new coefficient or 0 once removed).
constexpr auto kUntracked = [](int, bool, double) {};

// row[symbol] += delta
template <class OnChange>
void addToCell(Row& row, int symbol, double delta, OnChange&& onChange) {
  auto found = row.at(symbol);
  if (found != row.cells.end() && found->symbol == symbol) {
    double coefficient = found->coefficient + delta;
    if (nearZero(coefficient)) {
      row.cells.erase(found);
      onChange(symbol, true, 0.0);
    } else {
      found->coefficient = coefficient;
      onChange(symbol, true, coefficient);
    }
  } else if (!nearZero(delta)) {
    row.cells.insert(found, Cell{symbol, delta});
    onChange(symbol, false, delta);
  }
}

// row += factor * source, as one merge of the sorted cells.
template <class OnChange>
void addRow(Row& row, const Row& source, double factor, OnChange&& onChange) {
  static thread_local std::vector<Cell> merged;
  merged.clear();
  merged.reserve(row.cells.size() + source.cells.size());
  auto mine = row.cells.begin();
  auto theirs = source.cells.begin();
  while (mine != row.cells.end() || theirs != source.cells.end()) {
    if (theirs == source.cells.end() ||
        (mine != row.cells.end() && mine->symbol < theirs->symbol)) {
      merged.push_back(*mine++);
    } else if (mine == row.cells.end() || theirs->symbol < mine->symbol) {
      double coefficient = factor * theirs->coefficient;
      if (!nearZero(coefficient)) {
        merged.push_back({theirs->symbol, coefficient});
        onChange(theirs->symbol, false, coefficient);
      }
      ++theirs;
    } else {
      double coefficient = mine->coefficient + factor * theirs->coefficient;
      if (nearZero(coefficient)) {
        onChange(mine->symbol, true, 0.0);
      } else {
        merged.push_back({mine->symbol, coefficient});
      }
      ++mine;
      ++theirs;
    }
  }
  row.cells.swap(merged);
  row.constant += factor * source.constant;
}

// Where the objective stands for one priority. Every error symbol of that priority is in it, so
// it can be as long as there are constraints: cells are hashed once there are many.
template <class Value>
class SymbolMap {
 public:
  struct Entry {
    int symbol;
    Value value;
  };

  Value* find(int symbol) {
    std::ptrdiff_t at = position(symbol);
    return at < 0 ? nullptr : &entries_[static_cast<size_t>(at)].value;
  }
  bool contains(int symbol) const { return position(symbol) >= 0; }

  // The symbol must not be present yet.
  void insert(int symbol, Value value) {
    if (!index_ && entries_.size() >= kLinearLimit) {
      index_ = std::make_unique<std::unordered_map<int, size_t>>();
      for (size_t i = 0; i < entries_.size(); ++i) index_->emplace(entries_[i].symbol, i);
    }
    if (index_) index_->emplace(symbol, entries_.size());
    entries_.push_back({symbol, value});
  }

  bool erase(int symbol) {
    std::ptrdiff_t at = position(symbol);
    if (at < 0) return false;
    size_t last = entries_.size() - 1;
    if (static_cast<size_t>(at) != last) {
      entries_[static_cast<size_t>(at)] = entries_[last];
      if (index_) (*index_)[entries_[static_cast<size_t>(at)].symbol] = static_cast<size_t>(at);
    }
    entries_.pop_back();
    if (index_) index_->erase(symbol);
    return true;
  }

  // Keeps the storage for reuse.
  void clear() {
    entries_.clear();
    index_.reset();
  }

  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  static constexpr size_t kLinearLimit = 16;

  std::ptrdiff_t position(int symbol) const {
    if (index_) {
      auto found = index_->find(symbol);
      return found == index_->end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
    }
    for (size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i].symbol == symbol) return static_cast<std::ptrdiff_t>(i);
    }
    return -1;
  }

  std::vector<Entry> entries_;
  std::unique_ptr<std::unordered_map<int, size_t>> index_;
};

struct Nothing {};

struct Level {
  double constant = 0;
  SymbolMap<double> cells;
  // Symbols with a negative coefficient: the candidates for entering the basis.
  SymbolMap<Nothing> negatives;

  double coefficientFor(int symbol) {
    const double* coefficient = cells.find(symbol);
    return coefficient ? *coefficient : 0;
  }
  void clear() {
    constant = 0;
    cells.clear();
    negatives.clear();
  }
};

// Levels by priority, highest first.
using Objective = std::map<double, Level, std::greater<double>>;

// The rows in which a symbol is parametric. Entries are only appended; one that went stale
// (the row dropped the symbol, or went away) is skipped and swept out on reading, or once
// stale entries outnumber live ones.
struct Column {
  std::vector<int> rows;
  int live = 0;
  bool crowded = false;
};

struct Tag {
  int marker = -1;
  int other = -1;
};

[[noreturn]] void broken(const char* what);

// Symbols, rows, the column index and the objective, with the pivots of the primal and dual
// simplex methods over them. What the rows mean is up to the solver that fills it.
struct Tableau {
  // Everything about a symbol, indexed by its id. A deque keeps references to rows valid while
  // symbols are added.
  struct SymbolData {
    SymbolType type = SymbolType::invalid;
    bool basic = false;
    uint32_t stamp = 0;  // for sweeping duplicates out of a column
    Row row;             // while basic
    Column column;
  };
  std::deque<SymbolData> symbols;
  uint32_t generation = 0;
  std::vector<int> freeSymbols;
  std::vector<int> crowded;  // columns with many stale entries

  Objective objective;
  // Phase one's objective while it runs; its storage is kept for the next time.
  Objective* artificial = nullptr;
  Objective artificialStorage;
  std::vector<int> infeasible;

  // --- symbols ------------------------------------------------------------------------------

  int newSymbol(SymbolType type);

  // The symbol has left the tableau; anything left of it is rounding, cleared before reuse.
  void releaseSymbol(int symbol);

  SymbolData& data(int symbol) { return symbols[static_cast<size_t>(symbol)]; }
  const SymbolData& data(int symbol) const { return symbols[static_cast<size_t>(symbol)]; }
  SymbolType typeOf(int symbol) const { return data(symbol).type; }
  bool isRestricted(int symbol) const;
  Row* rowOf(int symbol);
  const Row* rowOf(int symbol) const { return const_cast<Tableau*>(this)->rowOf(symbol); }

  // --- the column index -----------------------------------------------------------------------

  void noteAdded(int symbol, int basic);

  // Bounds the stale entries of columns that are seldom read. Runs once an operation is done.
  void sweepCrowded();

  void noteRemoved(int symbol) { --data(symbol).column.live; }

  // Every entry is appended when a row gains the symbol, so when the counts agree there is
  // nothing stale to sweep.
  const std::vector<int>& column(int symbol);

  void sweep(int symbol);

  // Keeps the column index while the row of `basic` changes.
  struct Tracker {
    Tableau* impl;
    int basic;
    void operator()(int symbol, bool wasPresent, double coefficient) const {
      if (!wasPresent) {
        impl->noteAdded(symbol, basic);
      } else if (coefficient == 0) {
        impl->noteRemoved(symbol);
      }
    }
  };
  Tracker tracker(int basic) { return Tracker{this, basic}; }

  void installRow(int basic, Row row);

  Row takeRow(int basic);

  // --- the objective --------------------------------------------------------------------------

  // Dummy symbols never enter the basis, so they are not listed as candidates: they would only
  // lengthen every search.
  void addToLevel(Level& level, int symbol, double delta);

  void addRowToLevel(Level& level, const Row& row, double factor);

  Level& levelFor(double priority) { return objective[priority]; }

  // The row to exchange for the marker that keeps the tableau feasible: the tightest restricted
  // row where the marker has a negative coefficient, else the restricted row with the smallest
  // ratio, else any external row.
  int markerLeavingRow(int marker);

  // --- pivoting -------------------------------------------------------------------------------

  // Replaces `symbol` by `row` everywhere it is parametric.
  void substitute(int symbol, const Row& row);

  void pivot(int leaving, int entering);

  // The smallest symbol whose first non-zero objective coefficient, from the highest priority
  // down, is negative. Taking the smallest (Bland's rule) keeps degenerate pivots from cycling.
  int enteringSymbol(const Objective& target) const;

  // The restricted row that first reaches zero as the entering symbol grows.
  int leavingRow(int entering);

  void optimize(Objective& target);

  // Restores feasibility after edits while keeping the objective optimal (dual simplex). False
  // when a restricted row cannot be made feasible; the rows are then equivalent but not feasible.
  bool dualOptimize();
  // Rewrites the rows for `symbol` replaced by `symbol + amount`, noting rows that turn
  // infeasible. With a constraint's marker this moves the constraint's constant while its
  // coefficients, and so the objective's optimality, stay as they are.
  void shiftSymbol(int symbol, double amount);

  // Among the row's symbols with a positive coefficient, the one whose objective coefficients
  // divided by that coefficient are lexicographically smallest.
  int dualEnteringSymbol(const Row& row);

  static bool lexicographicallyBefore(const std::vector<double>& a, const std::vector<double>& b,
                                      bool onTie);
};

}  // namespace cassowary::detail
