#include "layout/Solver.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>
#include <unordered_map>
#include <utility>

#include "layout/Tableau+Private.h"

namespace cassowary {

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

using detail::broken;
using detail::Row;
using detail::SymbolType;
using detail::Tag;

namespace {

// A required equality that mentions a variable no other constraint does is not put in the
// tableau: it defines that variable in terms of the others, which is read when the value is.
// Chains of views (each placed after the one before) are such definitions, and kept out of the
// tableau they cost the same per link however long the chain: in the tableau every link's row
// would carry a marker for each link before it. A constraint that does enter the tableau has the
// definitions of its variables expanded, and is re-expanded should one of them be removed.
struct VariableRecord {
  Variable variable;
  int symbol = -1;  // the external symbol, made when the tableau first needs it
  int uses = 0;
  double reported = std::numeric_limits<double>::quiet_NaN();

  // While defined: the serial of the defining constraint, and the definition.
  uint64_t definedBy = 0;
  std::vector<std::pair<VariableRecord*, double>> terms;
  double constant = 0;
  // Tableau constraints (serials) whose rows expanded this definition; some may have gone.
  std::vector<uint64_t> dependents;
  size_t dependentsLimit = 16;

  mutable double cached = 0;
  mutable uint64_t cachedAt = 0;
};

struct ConstraintRecord {
  Constraint constraint;
  // The expression's constant now (an edit's moves with each suggestion).
  double constant = 0;
  // Defines a variable, or else sits in the tableau with these symbols.
  VariableRecord* defines = nullptr;
  Tag tag;
  // The row's constant once definitions were expanded, before any sign change.
  double expandedConstant = 0;
};

struct EditRecord {
  Constraint constraint;
};

// The coefficient of a constraint's marker in its own row: how its constant maps onto it.
double markerCoefficient(const Constraint& constraint) {
  if (constraint.relation() == Relation::greaterThanOrEqual) return -1;
  if (constraint.relation() == Relation::equal && !constraint.isRequired()) return -1;
  return 1;
}

}  // namespace

struct Solver::Impl : detail::Tableau {
  std::unordered_map<uint64_t, ConstraintRecord> records;
  std::unordered_map<const void*, uint64_t> serials;  // by constraint identity
  uint64_t nextSerial = 1;
  std::unordered_map<const void*, VariableRecord> variables;
  std::unordered_map<const void*, EditRecord> edits;
  // Moves on every change, so that cached values of defined variables are read afresh.
  uint64_t valueGeneration = 1;

  ConstraintRecord* recordOf(const Constraint& constraint) {
    auto found = serials.find(constraint.identity());
    return found == serials.end() ? nullptr : &records.at(found->second);
  }

  // --- variables ------------------------------------------------------------------------------

  VariableRecord& acquire(const Variable& variable) {
    auto [at, inserted] = variables.try_emplace(variable.identity());
    if (inserted) at->second.variable = variable;
    ++at->second.uses;
    return at->second;
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

  int symbolFor(VariableRecord& record) {
    if (record.symbol < 0) record.symbol = newSymbol(SymbolType::external);
    return record.symbol;
  }

  double tableauValue(const VariableRecord& record) const {
    if (record.symbol < 0) return 0;
    const Row* row = rowOf(record.symbol);
    return row ? row->constant : 0;
  }

  // Definitions refer only to variables defined before them, so this ends; it keeps its own
  // stack because a chain of definitions can be as long as there are views.
  double valueOf(const VariableRecord& record) const {
    if (!record.definedBy) return tableauValue(record);
    if (record.cachedAt == valueGeneration) return record.cached;
    std::vector<const VariableRecord*> stack{&record};
    while (!stack.empty()) {
      const VariableRecord* top = stack.back();
      double sum = top->constant;
      bool ready = true;
      for (const auto& [term, coefficient] : top->terms) {
        if (!term->definedBy) {
          sum += coefficient * tableauValue(*term);
        } else if (term->cachedAt == valueGeneration) {
          sum += coefficient * term->cached;
        } else {
          ready = false;
          stack.push_back(term);
        }
      }
      if (!ready) continue;
      top->cached = sum;
      top->cachedAt = valueGeneration;
      stack.pop_back();
    }
    return record.cached;
  }

  // --- definitions ----------------------------------------------------------------------------

  // A variable of the constraint's that nothing else mentions yet, if it is a required equality.
  const Term* definableTerm(const Constraint& constraint) const {
    if (constraint.relation() != Relation::equal || !constraint.isRequired()) return nullptr;
    for (const Term& term : constraint.expression().terms()) {
      if (!variables.contains(term.variable.identity())) return &term;
    }
    return nullptr;
  }

  void define(ConstraintRecord& record, uint64_t serial, const Term& subject) {
    VariableRecord& defined = variables.at(subject.variable.identity());
    defined.definedBy = serial;
    defined.terms.clear();
    for (const Term& term : record.constraint.expression().terms()) {
      if (term.variable.isSameAs(subject.variable)) continue;
      defined.terms.emplace_back(&variables.at(term.variable.identity()),
                                 -term.coefficient / subject.coefficient);
    }
    defined.constant = -record.constant / subject.coefficient;
    record.defines = &defined;
  }

  // The constraint's expression over tableau variables only: definitions replaced, latest
  // first, so that each is replaced once however many paths lead to it. Each definition used
  // notes the constraint as its dependent.
  struct Expanded {
    std::vector<std::pair<VariableRecord*, double>> terms;
    double constant = 0;
  };
  Expanded expand(const Constraint& constraint, double constant, uint64_t dependent,
                  bool noting = true) {
    Expanded out;
    out.constant = constant;
    std::unordered_map<VariableRecord*, double> pending;
    auto byDefinition = [](VariableRecord* a, VariableRecord* b) {
      return a->definedBy < b->definedBy;
    };
    std::priority_queue<VariableRecord*, std::vector<VariableRecord*>, decltype(byDefinition)>
        queue(byDefinition);
    auto take = [&](VariableRecord* record, double coefficient) {
      if (!record->definedBy) {
        out.terms.emplace_back(record, coefficient);
        return;
      }
      auto [at, inserted] = pending.try_emplace(record, 0.0);
      at->second += coefficient;
      if (inserted) queue.push(record);
    };
    for (const Term& term : constraint.expression().terms()) {
      take(&variables.at(term.variable.identity()), term.coefficient);
    }
    while (!queue.empty()) {
      VariableRecord* record = queue.top();
      queue.pop();
      double coefficient = pending.at(record);
      if (noting) noteDependent(*record, dependent);
      out.constant += coefficient * record->constant;
      for (const auto& [term, factor] : record->terms) take(term, coefficient * factor);
    }
    return out;
  }

  void noteDependent(VariableRecord& record, uint64_t dependent) {
    if (!record.dependents.empty() && record.dependents.back() == dependent) return;
    record.dependents.push_back(dependent);
    if (record.dependents.size() < record.dependentsLimit) return;
    std::erase_if(record.dependents, [this](uint64_t serial) { return !inTableau(serial); });
    record.dependentsLimit = std::max<size_t>(16, 2 * record.dependents.size());
  }

  bool inTableau(uint64_t serial) const {
    auto found = records.find(serial);
    return found != records.end() && !found->second.defines;
  }

  std::vector<uint64_t> liveDependents(VariableRecord& record) {
    std::vector<uint64_t> live;
    for (uint64_t serial : record.dependents) {
      if (inTableau(serial) && (live.empty() || live.back() != serial)) live.push_back(serial);
    }
    std::sort(live.begin(), live.end());
    live.erase(std::unique(live.begin(), live.end()), live.end());
    record.dependents = live;
    return live;
  }

  // --- adding ---------------------------------------------------------------------------------

  // The constraint as a row in terms of the current parametric symbols, with its slack, error
  // or dummy symbols, and its errors entered in the objective.
  Row createRow(ConstraintRecord& record, uint64_t serial) {
    const Constraint& constraint = record.constraint;
    Expanded expanded = expand(constraint, record.constant, serial);
    Row row;
    row.cells.reserve(expanded.terms.size() + 2);
    row.constant = expanded.constant;
    record.expandedConstant = expanded.constant;
    for (const auto& [variable, coefficient] : expanded.terms) {
      int symbol = symbolFor(*variable);
      if (const Row* basic = rowOf(symbol)) {
        addRow(row, *basic, coefficient, detail::kUntracked);
      } else {
        addToCell(row, symbol, coefficient, detail::kUntracked);
      }
    }

    Tag& tag = record.tag;
    const double priority = constraint.priority();
    const bool required = constraint.isRequired();
    if (constraint.relation() == Relation::equal) {
      if (required) {
        tag.marker = newSymbol(SymbolType::dummy);
        addToCell(row, tag.marker, 1, detail::kUntracked);
      } else {
        tag.marker = newSymbol(SymbolType::error);
        tag.other = newSymbol(SymbolType::error);
        addToCell(row, tag.marker, -1, detail::kUntracked);
        addToCell(row, tag.other, 1, detail::kUntracked);
        detail::Level& level = levelFor(priority);
        addToLevel(level, tag.marker, 1);
        addToLevel(level, tag.other, 1);
      }
    } else {
      double sign = constraint.relation() == Relation::lessThanOrEqual ? 1 : -1;
      tag.marker = newSymbol(SymbolType::slack);
      addToCell(row, tag.marker, sign, detail::kUntracked);
      if (!required) {
        tag.other = newSymbol(SymbolType::error);
        addToCell(row, tag.other, -sign, detail::kUntracked);
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
    for (const detail::Cell& cell : row.cells) {
      if (typeOf(cell.symbol) == SymbolType::external) return cell.symbol;
    }
    for (int symbol : {tag.marker, tag.other}) {
      if (symbol >= 0 && isRestricted(symbol) && row.coefficientFor(symbol) < 0) return symbol;
    }
    return -1;
  }

  bool allDummies(const Row& row) const {
    for (const detail::Cell& cell : row.cells) {
      if (typeOf(cell.symbol) != SymbolType::dummy) return false;
    }
    return true;
  }

  SolverStatus add(const Constraint& constraint, double constant) {
    if (serials.contains(constraint.identity())) return SolverStatus::duplicateConstraint;
    double priority = constraint.priority();
    if (!(priority > 0 && priority <= kPriorityRequired)) return SolverStatus::invalidPriority;
    const Term* definable = definableTerm(constraint);
    for (const Term& term : constraint.expression().terms()) acquire(term.variable);

    uint64_t serial = nextSerial++;
    ConstraintRecord& record =
        records.emplace(serial, ConstraintRecord{constraint, constant, nullptr, Tag{}, 0})
            .first->second;
    serials.emplace(constraint.identity(), serial);
    ++valueGeneration;
    if (definable) {
      define(record, serial, *definable);
      return SolverStatus::ok;
    }
    if (!enterTableau(record, serial)) {
      forget(serial);
      releaseVariables(constraint);
      return SolverStatus::unsatisfiable;
    }
    return SolverStatus::ok;
  }

  void forget(uint64_t serial) {
    serials.erase(records.at(serial).constraint.identity());
    records.erase(serial);
  }

  // False when a required constraint contradicts the required ones held: the tableau is then
  // as it was, and the record's symbols are released.
  bool enterTableau(ConstraintRecord& record, uint64_t serial) {
    Row row = createRow(record, serial);
    const Tag tag = record.tag;
    int subject = chooseSubject(row, tag);
    if (subject < 0 && allDummies(row)) {
      // Only required equalities remain: the new one repeats them, or contradicts them.
      if (!detail::nearZero(row.constant)) return refuse(record);
      subject = tag.marker;
    }
    if (subject < 0) {
      if (!addWithArtificialVariable(row)) {
        // The trial pivots kept the tableau equivalent but may have left it suboptimal.
        refuse(record);
        optimize(objective);
        return false;
      }
    } else {
      row.solveFor(subject);
      substitute(subject, row);
      installRow(subject, std::move(row));
    }
    optimize(objective);
    return true;
  }

  bool refuse(ConstraintRecord& record) {
    removeErrorEffects(record);
    releaseSymbol(record.tag.marker);
    releaseSymbol(record.tag.other);
    record.tag = Tag{};
    return false;
  }

  // Phase one of the simplex method for a row with no usable subject: minimise an artificial
  // symbol that equals the row. If it reaches zero the constraint joins the tableau; otherwise
  // the artificial row is dropped and the tableau is as it was, without the constraint.
  bool addWithArtificialVariable(const Row& row) {
    int art = newSymbol(SymbolType::slack);
    installRow(art, row);
    detail::Level& level = artificialStorage[0];
    level.clear();
    artificial = &artificialStorage;
    addRowToLevel(level, row, 1);
    optimize(*artificial);
    bool success = detail::nearZero(level.constant);
    artificial = nullptr;

    if (rowOf(art)) {
      Row artRow = takeRow(art);
      if (success) {
        int entering = -1;
        for (const detail::Cell& cell : artRow.cells) {
          if (isRestricted(cell.symbol)) {
            entering = cell.symbol;
            break;
          }
        }
        // With no restricted symbol left the row says 0 = a sum of dummies: the constraint
        // follows from the required ones and needs no row of its own.
        if (entering >= 0) {
          addToCell(artRow, art, -1, detail::kUntracked);
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

  void removeErrorEffects(const ConstraintRecord& record) {
    for (int symbol : {record.tag.marker, record.tag.other}) {
      if (symbol < 0 || typeOf(symbol) != SymbolType::error) continue;
      detail::Level& level = levelFor(record.constraint.priority());
      if (const Row* row = rowOf(symbol)) {
        addRowToLevel(level, *row, -1);
      } else {
        addToLevel(level, symbol, -1);
      }
    }
  }

  SolverStatus remove(const Constraint& constraint) {
    auto found = serials.find(constraint.identity());
    if (found == serials.end()) return SolverStatus::unknownConstraint;
    uint64_t serial = found->second;
    serials.erase(found);
    ConstraintRecord record = std::move(records.at(serial));
    records.erase(serial);
    ++valueGeneration;
    if (record.defines) {
      undefine(*record.defines);
    } else {
      leaveTableau(record);
    }
    releaseVariables(record.constraint);
    return SolverStatus::ok;
  }

  // The variable joins the tableau as a free one; the rows that expanded its definition are
  // made again without it.
  void undefine(VariableRecord& variable) {
    variable.definedBy = 0;
    variable.terms.clear();
    std::vector<uint64_t> dependents = liveDependents(variable);
    variable.dependents.clear();
    for (uint64_t serial : dependents) leaveTableau(records.at(serial));
    for (uint64_t serial : dependents) {
      ConstraintRecord& record = records.at(serial);
      // Dropping a constraint only widens what the required ones allow, so this holds.
      if (!enterTableau(record, serial)) broken("a constraint was refused after a removal");
    }
  }

  void leaveTableau(ConstraintRecord& record) {
    const Tag tag = record.tag;
    removeErrorEffects(record);
    if (rowOf(tag.marker)) {
      takeRow(tag.marker);
    } else {
      // Pivot the marker into the basis, then drop its row. A marker in no row at all belongs
      // to a constraint that was implied by others and left nothing to remove.
      int leaving = markerLeavingRow(tag.marker);
      if (leaving >= 0) {
        Row row = takeRow(leaving);
        addToCell(row, leaving, -1, detail::kUntracked);
        row.solveFor(tag.marker);
        substitute(tag.marker, row);
      }
    }
    optimize(objective);
    releaseSymbol(tag.marker);
    releaseSymbol(tag.other);
    record.tag = Tag{};
  }

  // --- constants ------------------------------------------------------------------------------

  // Moves tableau constraints' expanded constants by the given amounts (the caller has already
  // changed what they expand from) through their markers, then restores feasibility with the
  // dual simplex. All move before any repair, since constraints that moved together may only
  // agree once all have. When the required constraints end up contradicting each other `undo`
  // puts back what the caller changed, and the tableau is made as it was.
  bool shift(const std::vector<std::pair<uint64_t, double>>& moves,
             const std::function<void()>& undo) {
    std::vector<std::pair<ConstraintRecord*, double>> marked;
    std::vector<std::pair<ConstraintRecord*, uint64_t>> remade;
    for (const auto& [serial, delta] : moves) {
      if (delta == 0) continue;
      ConstraintRecord& record = records.at(serial);
      int marker = record.tag.marker;
      if (typeOf(marker) == SymbolType::dummy && (rowOf(marker) || column(marker).empty())) {
        // A required equality implied by the others: moved, it may contradict them; made again.
        remade.emplace_back(&record, serial);
      } else {
        shiftSymbol(marker, delta / markerCoefficient(record.constraint));
        record.expandedConstant += delta;
        marked.emplace_back(&record, delta);
      }
    }
    bool feasible = dualOptimize();
    size_t entered = 0;
    for (; feasible && entered < remade.size(); ++entered) {
      auto [record, serial] = remade[entered];
      leaveTableau(*record);
      feasible = enterTableau(*record, serial);
    }
    if (feasible) return true;

    undo();
    for (size_t i = 0; i < entered; ++i) {
      auto [record, serial] = remade[i];
      // The one refused last is out of the tableau already.
      if (i + 1 < entered) leaveTableau(*record);
      if (!enterTableau(*record, serial)) broken("a constraint could not be put back");
    }
    for (auto [record, delta] : marked) {
      shiftSymbol(record->tag.marker, -delta / markerCoefficient(record->constraint));
      record->expandedConstant -= delta;
    }
    if (!dualOptimize()) broken("the tableau could not be restored");
    return false;
  }

  SolverStatus changeConstant(Constraint& constraint, double constant) {
    auto found = serials.find(constraint.identity());
    if (found == serials.end()) return SolverStatus::unknownConstraint;
    uint64_t serial = found->second;
    ConstraintRecord& record = records.at(serial);
    double delta = constant - record.constant;
    if (delta != 0) {
      ++valueGeneration;
      bool moved =
          record.defines ? moveDefinition(record, delta) : moveOwnConstant(record, serial, delta);
      ++valueGeneration;
      if (!moved) return SolverStatus::unsatisfiable;
    }
    Constraint replaced(Expression(constraint.expression().terms(), constant),
                        constraint.relation(), constraint.priority());
    serials.erase(found);
    serials.emplace(replaced.identity(), serial);
    record.constraint = replaced;
    constraint = replaced;
    return SolverStatus::ok;
  }

  bool moveOwnConstant(ConstraintRecord& record, uint64_t serial, double delta) {
    record.constant += delta;
    return shift({{serial, delta}}, [&record, delta] { record.constant -= delta; });
  }

  // A defining constraint's constant moved: the definition moves, and every row that expanded it
  // moves by as much as its expansion does.
  bool moveDefinition(ConstraintRecord& record, double delta) {
    VariableRecord& defined = *record.defines;
    double coefficient = 1;
    for (const Term& term : record.constraint.expression().terms()) {
      if (term.variable.isSameAs(defined.variable)) coefficient = term.coefficient;
    }
    const double definitionDelta = -delta / coefficient;
    defined.constant += definitionDelta;
    record.constant += delta;
    std::vector<std::pair<uint64_t, double>> moves;
    for (uint64_t serial : liveDependents(defined)) {
      ConstraintRecord& dependent = records.at(serial);
      double expanded = expand(dependent.constraint, dependent.constant, serial, false).constant;
      moves.emplace_back(serial, expanded - dependent.expandedConstant);
    }
    return shift(moves, [&] {
      defined.constant -= definitionDelta;
      record.constant -= delta;
    });
  }

  // --- edits ----------------------------------------------------------------------------------

  SolverStatus addEdit(const Variable& variable, double priority) {
    if (edits.contains(variable.identity())) return SolverStatus::duplicateEditVariable;
    if (!(priority > 0 && priority < kPriorityRequired)) return SolverStatus::invalidPriority;
    double current = value(variable);
    Constraint constraint(Expression(variable) - current, Relation::equal, priority);
    SolverStatus status = add(constraint, constraint.expression().constant());
    if (status != SolverStatus::ok) return status;
    edits.emplace(variable.identity(), EditRecord{constraint});
    return SolverStatus::ok;
  }

  SolverStatus removeEdit(const Variable& variable) {
    auto found = edits.find(variable.identity());
    if (found == edits.end()) return SolverStatus::unknownEditVariable;
    Constraint constraint = found->second.constraint;
    edits.erase(found);
    return remove(constraint);
  }

  // Moving the edit constraint's constant shifts its error symbols; the rows that hold them
  // shift with them, and those that turn infeasible are repaired by the dual simplex, which
  // keeps the rest of the solution where it was.
  SolverStatus suggest(const Variable& variable, double value) {
    auto found = edits.find(variable.identity());
    if (found == edits.end()) return SolverStatus::unknownEditVariable;
    uint64_t serial = serials.at(found->second.constraint.identity());
    ConstraintRecord& record = records.at(serial);
    ++valueGeneration;
    // Optional constraints can always be met, so this cannot fail.
    if (!moveOwnConstant(record, serial, -value - record.constant)) broken("an edit was refused");
    ++valueGeneration;
    return SolverStatus::ok;
  }

  // --- reading --------------------------------------------------------------------------------

  double value(const Variable& variable) const {
    auto found = variables.find(variable.identity());
    return found == variables.end() ? 0 : valueOf(found->second);
  }
};

Solver::Solver() : impl_(std::make_unique<Impl>()) {}
Solver::~Solver() = default;
Solver::Solver(Solver&&) noexcept = default;
Solver& Solver::operator=(Solver&&) noexcept = default;

SolverStatus Solver::addConstraint(const Constraint& constraint) {
  SolverStatus status = impl_->add(constraint, constraint.expression().constant());
  impl_->sweepCrowded();
  return status;
}

SolverStatus Solver::removeConstraint(const Constraint& constraint) {
  SolverStatus status = impl_->remove(constraint);
  impl_->sweepCrowded();
  return status;
}

bool Solver::hasConstraint(const Constraint& constraint) const {
  return impl_->serials.contains(constraint.identity());
}

SolverStatus Solver::changeConstant(Constraint& constraint, double constant) {
  SolverStatus status = impl_->changeConstant(constraint, constant);
  impl_->sweepCrowded();
  return status;
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
  return impl_->value(variable);
}

std::vector<Variable> Solver::updateVariables() {
  std::vector<Variable> changed;
  for (auto& [identity, record] : impl_->variables) {
    double current = impl_->valueOf(record);
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
