#pragma once

#include <memory>
#include <string>
#include <vector>

// An incremental Cassowary solver for linear equalities and inequalities with priorities, as
// Auto Layout needs them.
//
// Priorities run from 1 to 1000, where 1000 is required. Required constraints hold exactly or are
// refused. The others are satisfied as well as possible in strict order: no number of
// violations at one priority outweighs a single violation at a higher one; within a priority the
// sum of the violations is made as small as possible.
//
//   cassowary::Variable left("button.left"), width("button.width");
//   cassowary::Solver solver;
//   solver.addConstraint(left + width == 390 - 16);
//   solver.addConstraint(cassowary::Constraint(width == 100, 250));
//   solver.value(left);  // 274
namespace cassowary {

inline constexpr double kPriorityRequired = 1000;

// A named unknown. Copies share their identity; the name is for logs.
class Variable {
 public:
  Variable();
  explicit Variable(std::string name);

  const std::string& name() const;
  // Identity; `==` between variables builds a constraint.
  bool isSameAs(const Variable& other) const { return data_ == other.data_; }
  const void* identity() const { return data_.get(); }

 private:
  struct Data {
    std::string name;
  };
  std::shared_ptr<const Data> data_;
};

struct Term {
  Variable variable;
  double coefficient = 1;
};

// A linear expression: the sum of its terms plus a constant.
class Expression {
 public:
  Expression() = default;
  Expression(double constant) : constant_(constant) {}  // NOLINT: `x + 8` reads as written.
  Expression(const Variable& variable) : terms_{{variable, 1}} {}  // NOLINT: as above.
  Expression(std::vector<Term> terms, double constant = 0)
      : terms_(std::move(terms)), constant_(constant) {}

  const std::vector<Term>& terms() const { return terms_; }
  double constant() const { return constant_; }

  Expression& operator+=(const Expression& other);
  Expression& operator-=(const Expression& other);
  Expression& operator*=(double factor);

 private:
  std::vector<Term> terms_;
  double constant_ = 0;
};

Expression operator+(Expression lhs, const Expression& rhs);
Expression operator-(Expression lhs, const Expression& rhs);
Expression operator-(Expression expression);
Expression operator*(Expression expression, double factor);
Expression operator*(double factor, Expression expression);
Expression operator/(Expression expression, double divisor);

enum class Relation { lessThanOrEqual, equal, greaterThanOrEqual };

// `expression relation 0` at a priority. Immutable; copies are the same constraint.
class Constraint {
 public:
  // Terms of the same variable are merged and zero terms dropped.
  Constraint(const Expression& expression, Relation relation, double priority = kPriorityRequired);
  // The same relation at another priority; a new constraint.
  Constraint(const Constraint& other, double priority);

  const Expression& expression() const;
  Relation relation() const;
  double priority() const;
  bool isRequired() const { return priority() >= kPriorityRequired; }
  // "a.left + 2 * b.width - 8 >= 0 @250", for logs.
  std::string description() const;

  bool isSameAs(const Constraint& other) const { return data_ == other.data_; }
  const void* identity() const { return data_.get(); }

 private:
  struct Data {
    Expression expression;
    Relation relation;
    double priority;
  };
  std::shared_ptr<const Data> data_;
};

Constraint operator==(const Expression& lhs, const Expression& rhs);
Constraint operator<=(const Expression& lhs, const Expression& rhs);
Constraint operator>=(const Expression& lhs, const Expression& rhs);

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
