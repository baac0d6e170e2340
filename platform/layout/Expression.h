#pragma once

// The values a solver works with: variables, linear expressions over them, and constraints that
// relate an expression to zero at a priority.

#include <memory>
#include <string>
#include <vector>

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

}  // namespace cassowary
