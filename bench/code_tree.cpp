// Growing a dotted code hierarchy: roots first, then children added under
// randomly chosen parents until the wanted number of codes exists.
#include "bench/code_tree.h"

#include <algorithm>
#include <set>

namespace dt::bench {
namespace {

std::string Padded(std::size_t number, std::size_t width) {
  std::string digits = std::to_string(number);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

std::size_t Power10(std::size_t exponent) {
  std::size_t value = 1;
  for (std::size_t i = 0; i < exponent; ++i) value *= 10;
  return value;
}

struct Node {
  std::vector<std::string> segments;
  std::size_t child_width = 1;
  std::size_t children_made = 0;
  std::vector<std::size_t> children;
};

}  // namespace

std::vector<Code> MakeCodeTree(Random& random, const CodeTreeShape& shape) {
  std::vector<Node> nodes;
  if (shape.count == 0) return {};
  // About one root for a dozen codes (all of them when there is one level),
  // never more than the root widths can number.
  std::size_t roots = shape.max_levels > 1 ? shape.count / 12 + 1 : shape.count;
  std::size_t capacity = 0;
  for (std::size_t width :
       std::set<std::size_t>(shape.root_widths.begin(), shape.root_widths.end())) {
    capacity += 9 * Power10(width - 1);
  }
  roots = std::min({roots, shape.count, capacity});
  std::set<std::string> root_codes;
  while (root_codes.size() < roots) {
    const std::size_t low = Power10(random.Pick(shape.root_widths) - 1);
    const std::string segment = std::to_string(random.Between(low, low * 10 - 1));
    if (!root_codes.insert(segment).second) continue;
    Node node;
    node.segments.push_back(segment);
    node.child_width = random.Pick(shape.child_widths);
    nodes.push_back(std::move(node));
  }
  // Children: each new code goes under a random code that may still have
  // levels below it; numbering per parent keeps the codes distinct.
  while (nodes.size() < shape.count && shape.max_levels > 1) {
    const std::size_t parent = random.Between(0, nodes.size() - 1);
    if (nodes[parent].segments.size() >= shape.max_levels) continue;
    Node child;
    child.segments = nodes[parent].segments;
    child.segments.push_back(Padded(++nodes[parent].children_made, nodes[parent].child_width));
    child.child_width = random.Pick(shape.child_widths);
    nodes[parent].children.push_back(nodes.size());
    nodes.push_back(std::move(child));
  }
  // Pre-order, roots ascending as text: the order an exporter sorted by code
  // would give.
  std::vector<std::size_t> root_indexes;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    if (nodes[i].segments.size() == 1) root_indexes.push_back(i);
  }
  std::sort(root_indexes.begin(), root_indexes.end(), [&](std::size_t a, std::size_t b) {
    return nodes[a].segments[0] < nodes[b].segments[0];
  });
  std::vector<Code> codes;
  codes.reserve(nodes.size());
  std::vector<std::size_t> stack(root_indexes.rbegin(), root_indexes.rend());
  while (!stack.empty()) {
    const Node& node = nodes[stack.back()];
    stack.pop_back();
    Code code;
    code.segments = node.segments;
    for (std::size_t i = 0; i < node.segments.size(); ++i) {
      if (i != 0) code.text += '.';
      code.text += node.segments[i];
    }
    code.leaf = node.children.empty();
    codes.push_back(std::move(code));
    stack.insert(stack.end(), node.children.rbegin(), node.children.rend());
  }
  return codes;
}

}  // namespace dt::bench
