#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "layout/Cassowary.h"

namespace cassowary {
void PrintTo(SolverStatus status, std::ostream* out) {
  *out << describe(status);
}
}  // namespace cassowary

namespace {

using cassowary::Constraint;
using cassowary::Expression;
using cassowary::Relation;
using cassowary::Solver;
using cassowary::SolverStatus;
using cassowary::Variable;

// A view's frame as the layout engine solves it.
struct Box {
  explicit Box(const std::string& name)
      : left(name + ".left"),
        top(name + ".top"),
        width(name + ".width"),
        height(name + ".height") {}
  Expression right() const { return left + width; }
  Expression centerX() const { return left + width / 2; }
  Expression centerY() const { return top + height / 2; }

  Variable left, top, width, height;
};

void add(Solver& solver, const Constraint& constraint) {
  ASSERT_EQ(solver.addConstraint(constraint), SolverStatus::ok) << constraint.description();
}

void add(Solver& solver, const Constraint& constraint, double priority) {
  add(solver, Constraint(constraint, priority));
}

TEST(CassowarySolver, CentresAChildInItsParent) {
  Solver solver;
  Box parent("parent"), child("child");
  add(solver, parent.left == 0);
  add(solver, parent.top == 0);
  add(solver, parent.width == 390);
  add(solver, parent.height == 844);

  add(solver, child.width == 100);
  add(solver, child.height == 44);
  add(solver, child.centerX() == parent.centerX());
  add(solver, child.centerY() == parent.centerY());

  EXPECT_DOUBLE_EQ(solver.value(child.left), 145);
  EXPECT_DOUBLE_EQ(solver.value(child.top), 400);
}

TEST(CassowarySolver, PlacesEachSiblingOfAChainAfterThePrevious) {
  Solver solver;
  Box container("container");
  std::vector<Box> siblings{Box("a"), Box("b"), Box("c")};
  add(solver, container.left == 0);
  add(solver, container.width == 390);
  for (size_t i = 0; i < siblings.size(); ++i) {
    add(solver, siblings[i].width == 100);
    add(solver, siblings[i].left == (i == 0 ? container.left + 16 : siblings[i - 1].right() + 8));
  }

  add(solver, siblings.back().right() <= container.right() - 16);

  EXPECT_DOUBLE_EQ(solver.value(siblings[0].left), 16);
  EXPECT_DOUBLE_EQ(solver.value(siblings[1].left), 124);
  EXPECT_DOUBLE_EQ(solver.value(siblings[2].left), 232);
}

TEST(CassowarySolver, NoNumberOfViolationsAtALowerPriorityOutweighsOneAtAHigherPriority) {
  struct Case {
    double high;
    double low;
    int lowCount;
    bool inequalities;
  };
  const Case cases[] = {
      {500, 250, 2, false},   {500, 250, 100, false}, {500, 250, 100, true},
      {251, 250, 100, false}, {2, 1, 100, true},      {999, 998, 100, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.high << " against " << c.lowCount << " x " << c.low);
    Solver solver;
    Variable x("x");
    std::vector<Variable> others;

    add(solver, c.inequalities ? x <= 0 : x == 0, c.high);
    for (int i = 0; i < c.lowCount; ++i) {
      // Each low constraint pulls through its own variable, so their violations add up.
      others.emplace_back("y" + std::to_string(i));
      add(solver, others.back() == x);
      add(solver, c.inequalities ? others.back() >= 10 : others.back() == 10, c.low);
    }

    EXPECT_NEAR(solver.value(x), 0, 1e-9);
  }
}

TEST(CassowarySolver, WithinOnePriorityTheSmallestSumOfViolationsWins) {
  Solver solver;
  Variable x("x");

  add(solver, x == 0, 250);
  add(solver, x == 10, 250);
  add(solver, x == 10, 250);

  EXPECT_DOUBLE_EQ(solver.value(x), 10);
}

TEST(CassowarySolver, RefusesAContradictoryRequiredConstraintAndKeepsSolvingWithoutIt) {
  Variable x("x"), y("y"), z("z");
  struct Case {
    const char* name;
    std::vector<Constraint> held;
    Constraint contradiction;
    // Compatible with the held constraints but not with the contradiction.
    Constraint later;
    double laterX;
  };
  const Case cases[] = {
      {"two equalities", {x == 10}, x == 20, z == x + 5, 10},
      {"two inequalities", {x >= 10}, x <= 5, x == 100, 100},
      {"through another variable", {x == 10, y == x + 5}, y <= 12, z == y - 2, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Solver solver;
    for (const Constraint& held : c.held) add(solver, held);

    SolverStatus refused = solver.addConstraint(c.contradiction);
    add(solver, c.later);

    EXPECT_EQ(refused, SolverStatus::unsatisfiable);
    EXPECT_FALSE(solver.hasConstraint(c.contradiction));
    EXPECT_DOUBLE_EQ(solver.value(x), c.laterX);
    for (const Constraint& held : c.held) EXPECT_TRUE(solver.hasConstraint(held));
  }
}

TEST(CassowarySolver, RemovingAConstraintReleasesWhatItHeld) {
  Solver solver;
  Variable x("x");
  Constraint pin = x == 10;
  Constraint preference(x == 20, 500);
  add(solver, pin);
  add(solver, preference);
  ASSERT_DOUBLE_EQ(solver.value(x), 10);

  SolverStatus removed = solver.removeConstraint(pin);
  double afterPin = solver.value(x);
  SolverStatus removedAgain = solver.removeConstraint(pin);

  EXPECT_EQ(removed, SolverStatus::ok);
  EXPECT_DOUBLE_EQ(afterPin, 20);
  EXPECT_EQ(removedAgain, SolverStatus::unknownConstraint);
  EXPECT_FALSE(solver.hasConstraint(pin));
  EXPECT_TRUE(solver.hasConstraint(preference));
}

TEST(CassowarySolver, ReplacingALinkInAChainMovesTheViewsAfterIt) {
  Solver solver;
  Box a("a"), b("b"), c("c");
  for (Box* box : {&a, &b, &c}) add(solver, box->width == 100);
  add(solver, a.left == 0);
  Constraint link = b.left == a.right() + 8;
  add(solver, link);
  add(solver, c.left == b.right() + 8);
  ASSERT_DOUBLE_EQ(solver.value(c.left), 216);

  ASSERT_EQ(solver.removeConstraint(link), SolverStatus::ok);
  add(solver, b.left == 300);

  EXPECT_DOUBLE_EQ(solver.value(a.left), 0);
  EXPECT_DOUBLE_EQ(solver.value(c.left), 408);
}

TEST(CassowarySolver, EditVariablesFollowSuggestionsWithinTheRequiredConstraints) {
  Solver solver;
  Box parent("parent"), child("child");
  add(solver, parent.left == 0);
  add(solver, parent.width <= 300);
  add(solver, child.width == 100);
  add(solver, child.centerX() == parent.centerX());
  ASSERT_EQ(solver.addEditVariable(parent.width, 750), SolverStatus::ok);

  ASSERT_EQ(solver.suggestValue(parent.width, 200), SolverStatus::ok);
  double narrow = solver.value(child.left);
  ASSERT_EQ(solver.suggestValue(parent.width, 500), SolverStatus::ok);
  double clamped = solver.value(parent.width);
  double wide = solver.value(child.left);
  ASSERT_EQ(solver.removeEditVariable(parent.width), SolverStatus::ok);

  EXPECT_DOUBLE_EQ(narrow, 50);
  EXPECT_DOUBLE_EQ(clamped, 300);
  EXPECT_DOUBLE_EQ(wide, 100);
  EXPECT_FALSE(solver.hasEditVariable(parent.width));
  EXPECT_EQ(solver.suggestValue(parent.width, 10), SolverStatus::unknownEditVariable);
}

TEST(CassowarySolver, AnEditVariableStaysWhereItIsUntilTheFirstSuggestion) {
  Solver solver;
  Variable x("x");
  add(solver, x == 50, 250);

  ASSERT_EQ(solver.addEditVariable(x, 500), SolverStatus::ok);

  EXPECT_DOUBLE_EQ(solver.value(x), 50);
}

TEST(CassowarySolver, RefusesDuplicatesUnknownsAndPrioritiesOutOfRange) {
  Solver solver;
  Variable x("x");
  Constraint held = x == 1;
  add(solver, held);
  ASSERT_EQ(solver.addEditVariable(x, 500), SolverStatus::ok);

  EXPECT_EQ(solver.addConstraint(held), SolverStatus::duplicateConstraint);
  EXPECT_EQ(solver.removeConstraint(x == 1), SolverStatus::unknownConstraint);
  EXPECT_EQ(solver.addEditVariable(x, 250), SolverStatus::duplicateEditVariable);
  EXPECT_EQ(solver.addEditVariable(Variable("y"), 1000), SolverStatus::invalidPriority);
  for (double priority : {0.0, -1.0, 1001.0}) {
    EXPECT_EQ(solver.addConstraint(Constraint(x >= 0, priority)), SolverStatus::invalidPriority)
        << priority;
  }
}

TEST(CassowarySolver, UpdateReportsOnlyTheVariablesThatMoved) {
  Solver solver;
  Variable x("x"), y("y"), z("z");
  add(solver, y == x + 10);
  add(solver, z == 5);
  ASSERT_EQ(solver.addEditVariable(x, 750), SolverStatus::ok);
  std::vector<Variable> first = solver.updateVariables();

  ASSERT_EQ(solver.suggestValue(x, 3), SolverStatus::ok);
  std::vector<Variable> moved = solver.updateVariables();

  EXPECT_EQ(first.size(), 3u);
  ASSERT_EQ(moved.size(), 2u);
  for (const Variable& variable : moved) EXPECT_NE(variable.name(), "z");
}

TEST(CassowaryConstraint, DescribesItselfWithTheVariableNamesForTheLog) {
  Box a("a"), b("b");

  Constraint constraint(a.left >= b.right() + 8, 250);
  Constraint scaled = 2 * a.width == b.width - a.width;

  EXPECT_EQ(constraint.description(), "a.left - b.left - b.width - 8 >= 0 @250");
  EXPECT_EQ(scaled.description(), "3 * a.width - b.width == 0");
}

// The sum of violations per priority, highest first; every optimal solution has the same.
std::map<double, double, std::greater<double>> violations(const Solver& solver,
                                                          const std::vector<Constraint>& held) {
  std::map<double, double, std::greater<double>> sums;
  for (const Constraint& constraint : held) {
    double value = constraint.expression().constant();
    for (const auto& term : constraint.expression().terms()) {
      value += term.coefficient * solver.value(term.variable);
    }
    double violation = constraint.relation() == Relation::equal             ? std::abs(value)
                       : constraint.relation() == Relation::lessThanOrEqual ? std::max(0.0, value)
                                                                            : std::max(0.0, -value);
    sums[constraint.priority()] += violation;
  }
  return sums;
}

// Random additions, removals and suggestions, checked against a solver built from scratch with
// the constraints held at each step: both must hold every required constraint and reach the
// same violations at every priority.
TEST(CassowarySolver, IncrementalChangesReachTheSameOptimumAsSolvingFromScratch) {
  std::mt19937 random(20240611);
  std::vector<Variable> variables;
  for (int i = 0; i < 8; ++i) variables.emplace_back("v" + std::to_string(i));
  const double priorities[] = {1000, 1000, 750, 500, 250, 1};
  const double coefficients[] = {1, -1, 2, 0.5};
  auto pick = [&random](auto& items) -> auto& {
    return items[std::uniform_int_distribution<size_t>(0, std::size(items) - 1)(random)];
  };

  Solver solver;
  std::vector<Constraint> held;
  Variable edited = variables[0];
  ASSERT_EQ(solver.addEditVariable(edited, 600), SolverStatus::ok);
  double suggestion = 0;

  for (int step = 0; step < 400; ++step) {
    int action = std::uniform_int_distribution<int>(0, 9)(random);
    if (action < 6 || held.empty()) {
      Expression expression = pick(variables) * pick(coefficients) +
                              pick(variables) * pick(coefficients) +
                              std::uniform_int_distribution<int>(-50, 50)(random);
      Relation relation = static_cast<Relation>(std::uniform_int_distribution<int>(0, 2)(random));
      Constraint constraint(expression, relation, pick(priorities));
      if (solver.addConstraint(constraint) == SolverStatus::ok) held.push_back(constraint);
    } else if (action < 9) {
      size_t at = std::uniform_int_distribution<size_t>(0, held.size() - 1)(random);
      ASSERT_EQ(solver.removeConstraint(held[at]), SolverStatus::ok);
      held.erase(held.begin() + static_cast<std::ptrdiff_t>(at));
    } else {
      suggestion = std::uniform_int_distribution<int>(-100, 100)(random);
      ASSERT_EQ(solver.suggestValue(edited, suggestion), SolverStatus::ok);
    }

    Solver fresh;
    std::vector<Constraint> all = held;
    all.push_back(Constraint(edited == suggestion, 600));
    for (auto c = all.rbegin(); c != all.rend(); ++c) {
      ASSERT_EQ(fresh.addConstraint(*c), SolverStatus::ok) << "step " << step;
    }
    auto expected = violations(fresh, all);
    auto actual = violations(solver, all);
    EXPECT_NEAR(actual[1000], 0, 1e-6) << "step " << step;
    for (const auto& [priority, sum] : expected) {
      EXPECT_NEAR(actual[priority], sum, 1e-6) << "step " << step << " priority " << priority;
    }
  }
}

}  // namespace

namespace {

// Constants moved in place must land where removing the constraint and adding it with the new
// constant would, both for constraints in the tableau and for those that define a variable.
TEST(CassowarySolver, ChangingAConstantMovesTheSolutionAsAddingItAfreshWould) {
  Solver solver;
  Box parent("parent"), child("child");
  Constraint width = parent.width == 390;  // defines the parent's width
  Constraint inset = child.left >= parent.left + 16;
  Constraint preferred(child.width == 300, 500);
  add(solver, parent.left == 0);
  add(solver, width);
  add(solver, inset);
  add(solver, preferred);
  add(solver, child.right() <= parent.right() - 16);
  add(solver, child.left == 0, 1);  // as far left as it may go

  struct Step {
    Constraint* constraint;
    double constant;  // of the expression, which is the negated right-hand side here
    double left, childWidth;
  };
  const Step steps[] = {
      {&width, -200, 16, 168},  // too narrow for the preference: the required margins win
      {&inset, -40, 40, 144},   // moves the left edge in
      {&preferred, -100, 40, 100},
      {&width, -390, 40, 100},
  };
  for (const Step& step : steps) {
    Constraint before = *step.constraint;
    ASSERT_EQ(solver.changeConstant(*step.constraint, step.constant), SolverStatus::ok);

    EXPECT_FALSE(solver.hasConstraint(before));
    EXPECT_TRUE(solver.hasConstraint(*step.constraint));
    EXPECT_EQ(step.constraint->expression().constant(), step.constant);
    EXPECT_NEAR(solver.value(child.left), step.left, 1e-9) << step.constraint->description();
    EXPECT_NEAR(solver.value(child.width), step.childWidth, 1e-9);
  }

  // Two required constraints built on one definition move together, or they would part.
  Variable x("x"), a("a");
  Constraint origin = x == 0;
  add(solver, origin);
  add(solver, a >= x);
  add(solver, a <= x + 10);
  EXPECT_EQ(solver.changeConstant(origin, -20), SolverStatus::ok);
  EXPECT_GE(solver.value(a), 20 - 1e-9);
  EXPECT_LE(solver.value(a), 30 + 1e-9);
}

// Values of every variable, to see that a refusal left the solution where it was.
std::vector<double> valuesOf(const Solver& solver, const std::vector<Variable>& variables) {
  std::vector<double> values;
  for (const Variable& variable : variables) values.push_back(solver.value(variable));
  return values;
}

TEST(CassowarySolver, AConstantThatContradictsTheRequiredConstraintsIsRefusedAndChangesNothing) {
  Variable x("x"), y("y"), z("z");
  struct Case {
    const char* name;
    std::vector<Constraint> held;
    size_t changed;
    double constant;
  };
  const Case cases[] = {
      // x >= 10 moved to x >= 30 past x <= 20.
      {"an inequality in the tableau", {x >= 10, x <= 20, Constraint(z == x, 250)}, 0, -30},
      // x == 10 defines x; x <= 20 holds it through that definition.
      {"a definition", {x == 10, x <= 20, y == x + 1, Constraint(z == y, 250)}, 0, -30},
      // x == 6 follows from the two before it, so it has no row of its own.
      {"an implied equality", {x == y + 1, y == 5, x == 6, Constraint(z == 3, 1)}, 2, -7},
      // Two required constraints move apart through a shared definition: y == x + 1 and
      // z == x + 2 with y + z <= 10.
      {"definitions used twice", {x == 1, y == x + 1, z == x + 2, y + z <= 10}, 0, -5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Solver solver;
    std::vector<Constraint> held = c.held;
    for (const Constraint& constraint : held) add(solver, constraint);
    std::vector<double> before = valuesOf(solver, {x, y, z});
    Constraint kept = held[c.changed];

    SolverStatus status = solver.changeConstant(held[c.changed], c.constant);

    EXPECT_EQ(status, SolverStatus::unsatisfiable);
    EXPECT_TRUE(held[c.changed].isSameAs(kept));
    for (const Constraint& constraint : held) EXPECT_TRUE(solver.hasConstraint(constraint));
    EXPECT_EQ(valuesOf(solver, {x, y, z}), before);
    // Still working: the constraint can be taken out, and the rest move.
    EXPECT_EQ(solver.removeConstraint(kept), SolverStatus::ok);
  }
}

// A definition that other rows were built on goes; the rows are made again without it.
TEST(CassowarySolver, RemovingALinkOfALongChainFreesTheRestToFollowTheirOtherConstraints) {
  Solver solver;
  std::vector<Variable> left;
  std::vector<Constraint> links;
  for (int i = 0; i < 200; ++i) {
    left.emplace_back("l" + std::to_string(i));
    links.push_back(i == 0 ? left[0] == 0 : left[i] == left[i - 1] + 10);
    add(solver, links.back());
  }
  // Built on the chain's definitions; binds only once the tail is free.
  add(solver, left[150] <= 2300);
  add(solver, left[199] == 3000, 250);
  ASSERT_NEAR(solver.value(left[199]), 1990, 1e-9);

  ASSERT_EQ(solver.removeConstraint(links[100]), SolverStatus::ok);

  EXPECT_NEAR(solver.value(left[99]), 990, 1e-9);
  EXPECT_NEAR(solver.value(left[150]), 2300, 1e-9);
  EXPECT_NEAR(solver.value(left[199]), 2790, 1e-9);
  EXPECT_NEAR(solver.value(left[100]), 1800, 1e-9);
}

// Thousands of small constraint sets, each changed step by step (adds, removals, constant
// changes, suggestions), checked after every step against the same constraints solved from
// scratch: the violations at every priority agree.
TEST(CassowarySolver, RandomChangesAgreeWithAFreshSolveAtEveryStep) {
  std::mt19937 random(20261209);
  auto uniform = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  const double priorities[] = {1000, 1000, 1000, 750, 250, 1};
  const double coefficients[] = {1, -1, 2, 0.5};
  int checks = 0;
  for (int set = 0; set < 2000; ++set) {
    std::vector<Variable> variables;
    for (int i = 0; i < 6; ++i) variables.emplace_back("v" + std::to_string(i));
    Solver solver;
    std::vector<Constraint> held;
    Variable edited = variables[0];
    double suggestion = 0;
    bool editing = uniform(0, 1) == 1;
    if (editing) {
      ASSERT_EQ(solver.addEditVariable(edited, 600), SolverStatus::ok);
    }

    for (int step = 0; step < 12; ++step) {
      int action = uniform(0, 9);
      if (action < 5 || held.empty()) {
        Expression expression =
            variables[static_cast<size_t>(uniform(0, 5))] * coefficients[uniform(0, 3)] +
            uniform(-50, 50);
        if (uniform(0, 2) > 0) {
          expression += variables[static_cast<size_t>(uniform(0, 5))] * coefficients[uniform(0, 3)];
        }
        auto relation = static_cast<Relation>(uniform(0, 2));
        Constraint constraint(expression, relation, priorities[uniform(0, 5)]);
        if (constraint.expression().terms().empty()) continue;
        if (solver.addConstraint(constraint) == SolverStatus::ok) held.push_back(constraint);
      } else if (action < 7) {
        size_t at = static_cast<size_t>(uniform(0, static_cast<int>(held.size()) - 1));
        ASSERT_EQ(solver.removeConstraint(held[at]), SolverStatus::ok);
        held.erase(held.begin() + static_cast<std::ptrdiff_t>(at));
      } else if (action < 9 || !editing) {
        size_t at = static_cast<size_t>(uniform(0, static_cast<int>(held.size()) - 1));
        Constraint before = held[at];
        double constant = uniform(-50, 50);
        SolverStatus status = solver.changeConstant(held[at], constant);
        if (status == SolverStatus::unsatisfiable) {
          // Refused only when it contradicts the others: a fresh solver refuses it too.
          EXPECT_TRUE(held[at].isSameAs(before));
          Solver fresh;
          for (const Constraint& other : held) {
            if (other.isSameAs(before)) continue;
            ASSERT_EQ(fresh.addConstraint(other), SolverStatus::ok);
          }
          Constraint moved(Expression(before.expression().terms(), constant), before.relation(),
                           before.priority());
          EXPECT_EQ(fresh.addConstraint(moved), SolverStatus::unsatisfiable);
        } else {
          ASSERT_EQ(status, SolverStatus::ok);
        }
      } else {
        suggestion = uniform(-100, 100);
        ASSERT_EQ(solver.suggestValue(edited, suggestion), SolverStatus::ok);
      }

      Solver fresh;
      std::vector<Constraint> all = held;
      if (editing) all.push_back(Constraint(edited == suggestion, 600));
      for (const Constraint& constraint : all) {
        ASSERT_EQ(fresh.addConstraint(constraint), SolverStatus::ok)
            << "set " << set << " step " << step;
      }
      auto expected = violations(fresh, all);
      auto actual = violations(solver, all);
      ASSERT_NEAR(actual[1000], 0, 1e-9) << "set " << set << " step " << step;
      for (const auto& [priority, sum] : expected) {
        ASSERT_NEAR(actual[priority], sum, 1e-9)
            << "set " << set << " step " << step << " priority " << priority;
      }
      ++checks;
    }
  }
  EXPECT_GT(checks, 20000);
}

}  // namespace
