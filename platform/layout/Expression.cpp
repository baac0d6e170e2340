#include "layout/Expression.h"

#include <cmath>
#include <cstdio>
#include <unordered_map>
#include <utility>

namespace cassowary {

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

}  // namespace cassowary
