#include "uikit/CassowarySolver.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <stdexcept>
#include <unordered_map>
#include <utility>

namespace cassowary {

// ---------------------------------------------------------------------------------------------
// Variables, expressions and constraints

Variable::Variable() : Variable(std::string()) {}

Variable::Variable(std::string name) : data_(std::make_shared<const Data>(Data{std::move(name)})) {}

const std::string& Variable::name() const {
  return data_->name;
}

Expression& Expression::operator+=(const Expression& other) {
  terms_.insert(terms_.end(), other.terms_.begin(), other.terms_.end());
  constant_ += other.constant_;
  return *this;
}

Expression& Expression::operator-=(const Expression& other) {
  return *this += -other;
}

Expression& Expression::operator*=(double factor) {
  for (Term& term : terms_) term.coefficient *= factor;
  constant_ *= factor;
  return *this;
}

Expression operator+(Expression lhs, const Expression& rhs) {
  return lhs += rhs;
}
Expression operator-(Expression lhs, const Expression& rhs) {
  return lhs -= rhs;
}
Expression operator-(Expression expression) {
  return expression *= -1;
}
Expression operator*(Expression expression, double factor) {
  return expression *= factor;
}
Expression operator*(double factor, Expression expression) {
  return expression *= factor;
}
Expression operator/(Expression expression, double divisor) {
  return expression *= 1 / divisor;
}

namespace {

Expression reduced(const Expression& expression) {
  std::vector<Term> terms;
  terms.reserve(expression.terms().size());
  // Layout expressions have a handful of terms: a scan beats hashing them.
  const bool hashed = expression.terms().size() > 16;
  std::unordered_map<const void*, size_t> positions;
  for (const Term& term : expression.terms()) {
    const void* identity = term.variable.identity();
    size_t at = terms.size();
    if (hashed) {
      at = positions.try_emplace(identity, terms.size()).first->second;
    } else {
      for (size_t i = 0; i < terms.size(); ++i) {
        if (terms[i].variable.identity() == identity) at = i;
      }
    }
    if (at == terms.size()) {
      terms.push_back(term);
    } else {
      terms[at].coefficient += term.coefficient;
    }
  }
  std::erase_if(terms, [](const Term& term) { return term.coefficient == 0; });
  return Expression(std::move(terms), expression.constant());
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

}  // namespace

Constraint::Constraint(const Expression& expression, Relation relation, double priority)
    : data_(std::make_shared<const Data>(Data{reduced(expression), relation, priority})) {}

Constraint::Constraint(const Constraint& other, double priority)
    : data_(std::make_shared<const Data>(Data{other.expression(), other.relation(), priority})) {}

const Expression& Constraint::expression() const {
  return data_->expression;
}
Relation Constraint::relation() const {
  return data_->relation;
}
double Constraint::priority() const {
  return data_->priority;
}

std::string Constraint::description() const {
  std::string text;
  for (const Term& term : expression().terms()) {
    double magnitude = std::fabs(term.coefficient);
    if (text.empty()) {
      if (term.coefficient < 0) text += "-";
    } else {
      text += term.coefficient < 0 ? " - " : " + ";
    }
    if (magnitude != 1) text += number(magnitude) + " * ";
    text += term.variable.name().empty() ? "?" : term.variable.name();
  }
  double constant = expression().constant();
  if (text.empty()) {
    text = number(constant);
  } else if (constant != 0) {
    text += (constant < 0 ? " - " : " + ") + number(std::fabs(constant));
  }
  const char* relations[] = {" <= 0", " == 0", " >= 0"};
  text += relations[static_cast<int>(relation())];
  if (!isRequired()) text += " @" + number(priority());
  return text;
}

Constraint operator==(const Expression& lhs, const Expression& rhs) {
  return Constraint(lhs - rhs, Relation::equal);
}
Constraint operator<=(const Expression& lhs, const Expression& rhs) {
  return Constraint(lhs - rhs, Relation::lessThanOrEqual);
}
Constraint operator>=(const Expression& lhs, const Expression& rhs) {
  return Constraint(lhs - rhs, Relation::greaterThanOrEqual);
}

const char* describe(SolverStatus status) {
  switch (status) {
    case SolverStatus::ok:
      return "ok";
    case SolverStatus::unsatisfiable:
      return "unable to satisfy a required constraint";
    case SolverStatus::duplicateConstraint:
      return "the constraint was already added";
    case SolverStatus::unknownConstraint:
      return "the constraint was not added";
    case SolverStatus::invalidPriority:
      return "invalid priority";
    case SolverStatus::duplicateEditVariable:
      return "the variable is already being edited";
    case SolverStatus::unknownEditVariable:
      return "the variable is not being edited";
  }
  return "unknown status";
}

// ---------------------------------------------------------------------------------------------
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

namespace {

enum class SymbolType : uint8_t { invalid, external, slack, error, dummy };

constexpr double kEpsilon = 1.0e-8;
bool nearZero(double value) {
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

struct ConstraintRecord {
  Constraint constraint;
  Tag tag;
};

struct VariableRecord {
  Variable variable;
  int symbol;
  int uses = 0;
  double reported = std::numeric_limits<double>::quiet_NaN();
};

struct EditRecord {
  Constraint constraint;
  double constant;
};

[[noreturn]] void broken(const char* what) {
  throw std::logic_error(std::string("cassowary solver invariant broken: ") + what);
}

}  // namespace

struct Solver::Impl {
  std::unordered_map<const void*, ConstraintRecord> constraints;
  std::unordered_map<const void*, VariableRecord> variables;
  std::unordered_map<const void*, EditRecord> edits;

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

  int newSymbol(SymbolType type) {
    int symbol;
    if (!freeSymbols.empty()) {
      symbol = freeSymbols.back();
      freeSymbols.pop_back();
    } else {
      symbol = static_cast<int>(symbols.size());
      symbols.emplace_back();
    }
    data(symbol).type = type;
    return symbol;
  }

  // The symbol has left the tableau; anything left of it is rounding, cleared before reuse.
  void releaseSymbol(int symbol) {
    if (symbol < 0) return;
    if (rowOf(symbol)) takeRow(symbol);
    for (int basic : std::vector<int>(column(symbol))) {
      Row& row = *rowOf(basic);
      addToCell(row, symbol, -row.coefficientFor(symbol), tracker(basic));
    }
    data(symbol).column = Column{};
    for (Objective* target : {&objective, artificial}) {
      if (!target) continue;
      for (auto& [priority, level] : *target) {
        addToLevel(level, symbol, -level.coefficientFor(symbol));
      }
    }
    data(symbol).type = SymbolType::invalid;
    freeSymbols.push_back(symbol);
  }

  SymbolData& data(int symbol) { return symbols[static_cast<size_t>(symbol)]; }
  const SymbolData& data(int symbol) const { return symbols[static_cast<size_t>(symbol)]; }
  SymbolType typeOf(int symbol) const { return data(symbol).type; }
  bool isRestricted(int symbol) const {
    SymbolType type = typeOf(symbol);
    return type == SymbolType::slack || type == SymbolType::error;
  }
  Row* rowOf(int symbol) {
    SymbolData& d = data(symbol);
    return d.basic ? &d.row : nullptr;
  }
  const Row* rowOf(int symbol) const { return const_cast<Impl*>(this)->rowOf(symbol); }

  // --- the column index -----------------------------------------------------------------------

  void noteAdded(int symbol, int basic) {
    Column& c = data(symbol).column;
    c.rows.push_back(basic);
    ++c.live;
    // Swept later: the row being changed may not hold its new cells yet.
    if (!c.crowded && c.rows.size() > 2 * static_cast<size_t>(c.live) + 16) {
      c.crowded = true;
      crowded.push_back(symbol);
    }
  }

  // Bounds the stale entries of columns that are seldom read. Runs once an operation is done.
  void sweepCrowded() {
    for (int symbol : crowded) {
      if (typeOf(symbol) != SymbolType::invalid) sweep(symbol);
    }
    crowded.clear();
  }

  void noteRemoved(int symbol) { --data(symbol).column.live; }

  // Every entry is appended when a row gains the symbol, so when the counts agree there is
  // nothing stale to sweep.
  const std::vector<int>& column(int symbol) {
    Column& c = data(symbol).column;
    if (c.rows.size() != static_cast<size_t>(c.live)) sweep(symbol);
    return c.rows;
  }

  void sweep(int symbol) {
    Column& c = data(symbol).column;
    ++generation;
    size_t kept = 0;
    for (int basic : c.rows) {
      uint32_t& stamp = data(basic).stamp;
      const Row* row = rowOf(basic);
      if (stamp != generation && row && row->contains(symbol)) {
        stamp = generation;
        c.rows[kept++] = basic;
      }
    }
    c.rows.resize(kept);
    c.crowded = false;
    if (kept != static_cast<size_t>(c.live)) broken("column index out of step with the rows");
  }

  // Keeps the column index while the row of `basic` changes.
  struct Tracker {
    Impl* impl;
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

  void installRow(int basic, Row row) {
    for (const Cell& cell : row.cells) noteAdded(cell.symbol, basic);
    SymbolData& d = data(basic);
    d.row = std::move(row);
    d.basic = true;
  }

  Row takeRow(int basic) {
    SymbolData& d = data(basic);
    Row row = std::move(d.row);
    d.row = Row{};
    d.basic = false;
    for (const Cell& cell : row.cells) noteRemoved(cell.symbol);
    return row;
  }

  // --- the objective --------------------------------------------------------------------------

  // Dummy symbols never enter the basis, so they are not listed as candidates: they would only
  // lengthen every search.
  void addToLevel(Level& level, int symbol, double delta) {
    double* found = level.cells.find(symbol);
    double coefficient = (found ? *found : 0) + delta;
    if (nearZero(coefficient)) {
      if (found) level.cells.erase(symbol);
      coefficient = 0;
    } else if (found) {
      *found = coefficient;
    } else {
      level.cells.insert(symbol, coefficient);
    }
    bool candidate = coefficient < 0 && typeOf(symbol) != SymbolType::dummy;
    bool listed = level.negatives.contains(symbol);
    if (candidate && !listed) level.negatives.insert(symbol, {});
    if (!candidate && listed) level.negatives.erase(symbol);
  }

  void addRowToLevel(Level& level, const Row& row, double factor) {
    level.constant += factor * row.constant;
    for (const Cell& cell : row.cells) addToLevel(level, cell.symbol, factor * cell.coefficient);
  }

  Level& levelFor(double priority) { return objective[priority]; }

  // --- variables ------------------------------------------------------------------------------

  int acquire(const Variable& variable) {
    auto [at, inserted] = variables.try_emplace(variable.identity(), VariableRecord{variable, -1});
    if (inserted) at->second.symbol = newSymbol(SymbolType::external);
    ++at->second.uses;
    return at->second.symbol;
  }

  void release(const Variable& variable) {
    auto found = variables.find(variable.identity());
    if (found == variables.end()) return;
    if (--found->second.uses > 0) return;
    int symbol = found->second.symbol;
    variables.erase(found);
    releaseSymbol(symbol);
  }

  void releaseVariables(const Constraint& constraint) {
    for (const Term& term : constraint.expression().terms()) release(term.variable);
  }

  // --- adding -------------------------------------------------------------------------------

  // The constraint as a row in terms of the current parametric symbols, with its slack, error
  // or dummy symbols, and its errors entered in the objective.
  Row createRow(const Constraint& constraint, Tag& tag) {
    Row row;
    row.cells.reserve(constraint.expression().terms().size() + 2);
    row.constant = constraint.expression().constant();
    for (const Term& term : constraint.expression().terms()) {
      int symbol = acquire(term.variable);
      if (const Row* basic = rowOf(symbol)) {
        addRow(row, *basic, term.coefficient, kUntracked);
      } else {
        addToCell(row, symbol, term.coefficient, kUntracked);
      }
    }

    const double priority = constraint.priority();
    const bool required = constraint.isRequired();
    if (constraint.relation() == Relation::equal) {
      if (required) {
        tag.marker = newSymbol(SymbolType::dummy);
        addToCell(row, tag.marker, 1, kUntracked);
      } else {
        tag.marker = newSymbol(SymbolType::error);
        tag.other = newSymbol(SymbolType::error);
        addToCell(row, tag.marker, -1, kUntracked);
        addToCell(row, tag.other, 1, kUntracked);
        Level& level = levelFor(priority);
        addToLevel(level, tag.marker, 1);
        addToLevel(level, tag.other, 1);
      }
    } else {
      double sign = constraint.relation() == Relation::lessThanOrEqual ? 1 : -1;
      tag.marker = newSymbol(SymbolType::slack);
      addToCell(row, tag.marker, sign, kUntracked);
      if (!required) {
        tag.other = newSymbol(SymbolType::error);
        addToCell(row, tag.other, -sign, kUntracked);
        addToLevel(levelFor(priority), tag.other, 1);
      }
    }
    // With a constant >= 0, a restricted subject solved from the row starts out feasible.
    if (row.constant < 0) row.reverseSign();
    return row;
  }

  // An external symbol if there is one; else a new restricted symbol that enters with a
  // negative coefficient, which keeps the row feasible.
  int chooseSubject(const Row& row, const Tag& tag) const {
    for (const Cell& cell : row.cells) {
      if (typeOf(cell.symbol) == SymbolType::external) return cell.symbol;
    }
    for (int symbol : {tag.marker, tag.other}) {
      if (symbol >= 0 && isRestricted(symbol) && row.coefficientFor(symbol) < 0) return symbol;
    }
    return -1;
  }

  bool allDummies(const Row& row) const {
    for (const Cell& cell : row.cells) {
      if (typeOf(cell.symbol) != SymbolType::dummy) return false;
    }
    return true;
  }

  SolverStatus add(const Constraint& constraint) {
    if (constraints.contains(constraint.identity())) return SolverStatus::duplicateConstraint;
    double priority = constraint.priority();
    if (!(priority > 0 && priority <= kPriorityRequired)) return SolverStatus::invalidPriority;

    Tag tag;
    Row row = createRow(constraint, tag);
    int subject = chooseSubject(row, tag);
    if (subject < 0 && allDummies(row)) {
      // Only required equalities remain: the new one repeats them, or contradicts them.
      if (!nearZero(row.constant)) return refuse(constraint, tag);
      subject = tag.marker;
    }
    if (subject < 0) {
      if (!addWithArtificialVariable(row)) {
        // The trial pivots kept the tableau equivalent but may have left it suboptimal.
        SolverStatus status = refuse(constraint, tag);
        optimize(objective);
        return status;
      }
    } else {
      row.solveFor(subject);
      substitute(subject, row);
      installRow(subject, std::move(row));
    }
    constraints.emplace(constraint.identity(), ConstraintRecord{constraint, tag});
    optimize(objective);
    return SolverStatus::ok;
  }

  SolverStatus refuse(const Constraint& constraint, const Tag& tag) {
    removeErrorEffects(constraint, tag);
    releaseSymbol(tag.marker);
    releaseSymbol(tag.other);
    releaseVariables(constraint);
    return SolverStatus::unsatisfiable;
  }

  // Phase one of the simplex method for a row with no usable subject: minimise an artificial
  // symbol that equals the row. If it reaches zero the constraint joins the tableau; otherwise
  // the artificial row is dropped and the tableau is as it was, without the constraint.
  bool addWithArtificialVariable(const Row& row) {
    int art = newSymbol(SymbolType::slack);
    installRow(art, row);
    Level& level = artificialStorage[0];
    level.clear();
    artificial = &artificialStorage;
    addRowToLevel(level, row, 1);
    optimize(*artificial);
    bool success = nearZero(level.constant);
    artificial = nullptr;

    if (rowOf(art)) {
      Row artRow = takeRow(art);
      if (success) {
        int entering = -1;
        for (const Cell& cell : artRow.cells) {
          if (isRestricted(cell.symbol)) {
            entering = cell.symbol;
            break;
          }
        }
        // With no restricted symbol left the row says 0 = a sum of dummies: the constraint
        // follows from the required ones and needs no row of its own.
        if (entering >= 0) {
          addToCell(artRow, art, -1, kUntracked);
          artRow.solveFor(entering);
          substitute(entering, artRow);
          installRow(entering, std::move(artRow));
        }
      }
    }
    // A parametric artificial symbol is zero: it leaves every row.
    releaseSymbol(art);
    return success;
  }

  // --- removing -------------------------------------------------------------------------------

  void removeErrorEffects(const Constraint& constraint, const Tag& tag) {
    for (int symbol : {tag.marker, tag.other}) {
      if (symbol < 0 || typeOf(symbol) != SymbolType::error) continue;
      Level& level = levelFor(constraint.priority());
      if (const Row* row = rowOf(symbol)) {
        addRowToLevel(level, *row, -1);
      } else {
        addToLevel(level, symbol, -1);
      }
    }
  }

  SolverStatus remove(const Constraint& constraint) {
    auto found = constraints.find(constraint.identity());
    if (found == constraints.end()) return SolverStatus::unknownConstraint;
    Tag tag = found->second.tag;
    Constraint kept = found->second.constraint;
    constraints.erase(found);

    removeErrorEffects(kept, tag);
    if (rowOf(tag.marker)) {
      takeRow(tag.marker);
    } else {
      // Pivot the marker into the basis, then drop its row. A marker in no row at all belongs
      // to a constraint that was implied by others and left nothing to remove.
      int leaving = markerLeavingRow(tag.marker);
      if (leaving >= 0) {
        Row row = takeRow(leaving);
        addToCell(row, leaving, -1, kUntracked);
        row.solveFor(tag.marker);
        substitute(tag.marker, row);
      }
    }
    optimize(objective);
    releaseSymbol(tag.marker);
    releaseSymbol(tag.other);
    releaseVariables(kept);
    return SolverStatus::ok;
  }

  // The row to exchange for the marker that keeps the tableau feasible: the tightest restricted
  // row where the marker has a negative coefficient, else the restricted row with the smallest
  // ratio, else any external row.
  int markerLeavingRow(int marker) {
    double bestNegative = std::numeric_limits<double>::infinity();
    double bestPositive = bestNegative;
    int first = -1, second = -1, third = -1;
    for (int basic : column(marker)) {
      const Row& row = *rowOf(basic);
      double coefficient = row.coefficientFor(marker);
      if (typeOf(basic) == SymbolType::external) {
        third = basic;
      } else if (coefficient < 0) {
        double ratio = -row.constant / coefficient;
        if (ratio < bestNegative) {
          bestNegative = ratio;
          first = basic;
        }
      } else {
        double ratio = row.constant / coefficient;
        if (ratio < bestPositive) {
          bestPositive = ratio;
          second = basic;
        }
      }
    }
    return first >= 0 ? first : second >= 0 ? second : third;
  }

  // --- pivoting -------------------------------------------------------------------------------

  // Replaces `symbol` by `row` everywhere it is parametric.
  void substitute(int symbol, const Row& row) {
    for (int basic : std::vector<int>(column(symbol))) {
      Row& target = *rowOf(basic);
      auto found = target.at(symbol);
      double coefficient = found->coefficient;
      target.cells.erase(found);
      noteRemoved(symbol);
      addRow(target, row, coefficient, tracker(basic));
      if (typeOf(basic) != SymbolType::external && target.constant < 0) {
        infeasible.push_back(basic);
      }
    }
    data(symbol).column.rows.clear();
    for (Objective* target : {&objective, artificial}) {
      if (!target) continue;
      for (auto& [priority, level] : *target) {
        double coefficient = level.coefficientFor(symbol);
        if (coefficient == 0) continue;
        addToLevel(level, symbol, -coefficient);
        addRowToLevel(level, row, coefficient);
      }
    }
  }

  void pivot(int leaving, int entering) {
    Row row = takeRow(leaving);
    addToCell(row, leaving, -1, kUntracked);
    row.solveFor(entering);
    substitute(entering, row);
    installRow(entering, std::move(row));
  }

  // The smallest symbol whose first non-zero objective coefficient, from the highest priority
  // down, is negative. Taking the smallest (Bland's rule) keeps degenerate pivots from cycling.
  int enteringSymbol(const Objective& target) const {
    int best = -1;
    for (auto level = target.begin(); level != target.end(); ++level) {
      for (const auto& entry : level->second.negatives) {
        int symbol = entry.symbol;
        if (best >= 0 && symbol >= best) continue;
        bool decidedAbove = false;
        for (auto above = target.begin(); above != level; ++above) {
          if (above->second.cells.contains(symbol)) {
            decidedAbove = true;
            break;
          }
        }
        if (!decidedAbove) best = symbol;
      }
    }
    return best;
  }

  // The restricted row that first reaches zero as the entering symbol grows.
  int leavingRow(int entering) {
    double best = std::numeric_limits<double>::infinity();
    int leaving = -1;
    for (int basic : column(entering)) {
      if (typeOf(basic) == SymbolType::external) continue;
      const Row& row = *rowOf(basic);
      double coefficient = row.coefficientFor(entering);
      if (coefficient >= 0) continue;
      double ratio = -row.constant / coefficient;
      if (ratio < best || (ratio == best && basic < leaving)) {
        best = ratio;
        leaving = basic;
      }
    }
    return leaving;
  }

  void optimize(Objective& target) {
    for (;;) {
      int entering = enteringSymbol(target);
      if (entering < 0) return;
      int leaving = leavingRow(entering);
      if (leaving < 0) broken("the objective is unbounded");
      pivot(leaving, entering);
    }
  }

  // Restores feasibility after edits while keeping the objective optimal (dual simplex).
  void dualOptimize() {
    while (!infeasible.empty()) {
      int leaving = infeasible.back();
      infeasible.pop_back();
      const Row* row = rowOf(leaving);
      if (!row || nearZero(row->constant) || row->constant >= 0) continue;
      int entering = dualEnteringSymbol(*row);
      if (entering < 0) broken("dual optimisation found no entering symbol");
      pivot(leaving, entering);
    }
  }

  // Among the row's symbols with a positive coefficient, the one whose objective coefficients
  // divided by that coefficient are lexicographically smallest.
  int dualEnteringSymbol(const Row& row) {
    int best = -1;
    std::vector<double> bestRatios, ratios;
    for (const Cell& cell : row.cells) {
      if (cell.coefficient <= 0 || typeOf(cell.symbol) == SymbolType::dummy) continue;
      ratios.clear();
      for (auto& [priority, level] : objective) {
        ratios.push_back(level.coefficientFor(cell.symbol) / cell.coefficient);
      }
      if (best < 0 || lexicographicallyBefore(ratios, bestRatios, cell.symbol < best)) {
        best = cell.symbol;
        std::swap(bestRatios, ratios);
      }
    }
    return best;
  }

  static bool lexicographicallyBefore(const std::vector<double>& a, const std::vector<double>& b,
                                      bool onTie) {
    for (size_t i = 0; i < a.size(); ++i) {
      if (nearZero(a[i] - b[i])) continue;
      return a[i] < b[i];
    }
    return onTie;
  }

  // --- edits ----------------------------------------------------------------------------------

  SolverStatus addEdit(const Variable& variable, double priority) {
    if (edits.contains(variable.identity())) return SolverStatus::duplicateEditVariable;
    if (!(priority > 0 && priority < kPriorityRequired)) return SolverStatus::invalidPriority;
    double current = valueOf(variable);
    Constraint constraint(Expression(variable) - current, Relation::equal, priority);
    SolverStatus status = add(constraint);
    if (status != SolverStatus::ok) return status;
    edits.emplace(variable.identity(), EditRecord{constraint, current});
    return SolverStatus::ok;
  }

  SolverStatus removeEdit(const Variable& variable) {
    auto found = edits.find(variable.identity());
    if (found == edits.end()) return SolverStatus::unknownEditVariable;
    Constraint constraint = found->second.constraint;
    edits.erase(found);
    return remove(constraint);
  }

  // Moving the edit constraint's constant by delta shifts its error symbols by delta; the rows
  // that hold them shift with them, and those that turn infeasible are repaired by the dual
  // simplex, which keeps the rest of the solution where it was.
  SolverStatus suggest(const Variable& variable, double value) {
    auto found = edits.find(variable.identity());
    if (found == edits.end()) return SolverStatus::unknownEditVariable;
    EditRecord& edit = found->second;
    double delta = value - edit.constant;
    edit.constant = value;
    const Tag tag = constraints.at(edit.constraint.identity()).tag;

    if (Row* row = rowOf(tag.marker)) {
      row->constant -= delta;
      if (row->constant < 0) infeasible.push_back(tag.marker);
    } else if (Row* row = rowOf(tag.other)) {
      row->constant += delta;
      if (row->constant < 0) infeasible.push_back(tag.other);
    } else {
      for (int basic : column(tag.marker)) {
        Row& row = *rowOf(basic);
        row.constant += delta * row.coefficientFor(tag.marker);
        if (typeOf(basic) != SymbolType::external && row.constant < 0) {
          infeasible.push_back(basic);
        }
      }
    }
    dualOptimize();
    return SolverStatus::ok;
  }

  // --- reading --------------------------------------------------------------------------------

  double valueOf(const Variable& variable) const {
    auto found = variables.find(variable.identity());
    if (found == variables.end()) return 0;
    const Row* row = rowOf(found->second.symbol);
    return row ? row->constant : 0;
  }
};

Solver::Solver() : impl_(std::make_unique<Impl>()) {}
Solver::~Solver() = default;
Solver::Solver(Solver&&) noexcept = default;
Solver& Solver::operator=(Solver&&) noexcept = default;

SolverStatus Solver::addConstraint(const Constraint& constraint) {
  SolverStatus status = impl_->add(constraint);
  impl_->sweepCrowded();
  return status;
}

SolverStatus Solver::removeConstraint(const Constraint& constraint) {
  SolverStatus status = impl_->remove(constraint);
  impl_->sweepCrowded();
  return status;
}

bool Solver::hasConstraint(const Constraint& constraint) const {
  return impl_->constraints.contains(constraint.identity());
}

SolverStatus Solver::addEditVariable(const Variable& variable, double priority) {
  SolverStatus status = impl_->addEdit(variable, priority);
  impl_->sweepCrowded();
  return status;
}

SolverStatus Solver::removeEditVariable(const Variable& variable) {
  SolverStatus status = impl_->removeEdit(variable);
  impl_->sweepCrowded();
  return status;
}

bool Solver::hasEditVariable(const Variable& variable) const {
  return impl_->edits.contains(variable.identity());
}

SolverStatus Solver::suggestValue(const Variable& variable, double value) {
  SolverStatus status = impl_->suggest(variable, value);
  impl_->sweepCrowded();
  return status;
}

double Solver::value(const Variable& variable) const {
  return impl_->valueOf(variable);
}

std::vector<Variable> Solver::updateVariables() {
  std::vector<Variable> changed;
  for (auto& [identity, record] : impl_->variables) {
    double current = impl_->valueOf(record.variable);
    if (current != record.reported) {
      record.reported = current;
      changed.push_back(record.variable);
    }
  }
  return changed;
}

void Solver::reset() {
  impl_ = std::make_unique<Impl>();
}

}  // namespace cassowary
