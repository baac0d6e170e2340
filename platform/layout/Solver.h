#pragma once

// The incremental solver: constraints added and removed one at a time, edit variables, and the
// solution kept optimal after each call.

#include <memory>
#include <vector>

#include "layout/Expression.h"

namespace cassowary {

enum class SolverStatus {
  ok,
  // A required constraint that contradicts the required ones already held. It is left out.
  unsatisfiable,
  duplicateConstraint,
  unknownConstraint,
  // Outside (0, 1000], or required for an edit variable.
  invalidPriority,
  duplicateEditVariable,
  unknownEditVariable,
};

const char* describe(SolverStatus status);

class Solver {
 public:
  Solver();
  ~Solver();
  Solver(Solver&&) noexcept;
  Solver& operator=(Solver&&) noexcept;

  // After each call the solution is optimal again.
  [[nodiscard]] SolverStatus addConstraint(const Constraint& constraint);
  [[nodiscard]] SolverStatus removeConstraint(const Constraint& constraint);
  bool hasConstraint(const Constraint& constraint) const;
  // Replaces a held constraint by the same one with another constant in its expression, moving
  // the solution from where it is rather than solving again; `constraint` becomes the new one.
  // A required constraint that would contradict the others is refused and stays as it was.
  [[nodiscard]] SolverStatus changeConstant(Constraint& constraint, double constant);

  // An edit variable takes suggested values at a priority below required; until the first
  // suggestion it is held where it is.
  [[nodiscard]] SolverStatus addEditVariable(const Variable& variable, double priority);
  [[nodiscard]] SolverStatus removeEditVariable(const Variable& variable);
  bool hasEditVariable(const Variable& variable) const;
  [[nodiscard]] SolverStatus suggestValue(const Variable& variable, double value);

  // The current solution; 0 for a variable that no constraint mentions.
  double value(const Variable& variable) const;
  // The variables whose value changed since the last call (all of them the first time), so that
  // a layout pass only touches what moved.
  std::vector<Variable> updateVariables();

  void reset();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace cassowary
