#include <gtest/gtest.h>

#include <filesystem>

#include "base/flat_document.h"
#include "model/element.h"
#include "test_support.h"

namespace pipedex::model {
namespace {

// Every node of a document in document order, but the one text child of an
// element (which the element holds): node i is node number i of its compiled copy.
std::vector<pugi::xml_node> InOrder(pugi::xml_node top) {
  std::vector<pugi::xml_node> out{top};
  for (std::size_t i = 0; i < out.size(); ++i) {
    // The children of node i go right after it, before what followed it.
    std::vector<pugi::xml_node> children;
    const pugi::xml_node first = out[i].first_child();
    if (out[i].type() == pugi::node_element && first && !first.next_sibling() && xml::IsText(first.type())) continue;
    for (pugi::xml_node c = first; c; c = c.next_sibling()) children.push_back(c);
    out.insert(out.begin() + static_cast<std::ptrdiff_t>(i) + 1, children.begin(), children.end());
  }
  return out;
}

// What an element answers, member by member, as one text to compare (each
// piece appended: g++ 12 at -O3 warns falsely about a literal joined to a string).
std::string Answers(const Element& e, pugi::xml_node shape) {
  std::string out;
  auto add = [&out](std::string_view label, std::string_view value) {
    out += label;
    out += value;
  };
  add(e ? "node " : "none ", e.IsElement() ? "element " : "");
  add("", e.Name());
  add("|", e.LocalName());
  add("|", e.Text());
  add("|", e.Attribute("missing", "fb"));
  add("|", e.Parent().Name());
  for (pugi::xml_attribute a = shape.first_attribute(); a; a = a.next_attribute()) add("|@", e.Attribute(a.name(), "fb"));
  for (const Element& c : e.Children()) {
    add("|child ", c.Name());
    add("=", e.Child(c.Name()).Name());
    add(":", c.Text());
    try {
      std::string padded(" ");
      padded += c.Text();
      padded += ' ';
      add("|nocase ", e.ChildNoCase(c.Name(), padded).Name());
    } catch (const Error& error) {
      add("|raised ", std::to_string(error.number()));
    }
  }
  if (e) {
    add("|select ", std::to_string(e.Select({"*", "*"}).size()));
    add(" ", std::to_string(e.Select({"A_SKEY"}).size()));
  }
  return out;
}

// An element of the compiled copy answers every member as the document's own
// element does, for every node of documents of every shape the catalogue
// files take, the shipped catalogue among them.
TEST(FlatElement, AnswersAsTheDocumentForEveryNode) {
  const std::vector<std::string> documents = {
      "<a x='1' y=''><b>t</b><b><![CDATA[c]]></b><c>one<d>two</d>three</c><!--note--><?pi data?><f><![CDATA[]]></f></a>",
      "<p:root xmlns:p='u'><p:Gizmo Name='x'> a  B </p:Gizmo><e/></p:root>",
      "<a><A_SKEY SKEY='ELBW'/><A_SKEY SKEY='TEE'><q>Ä ö</q></A_SKEY></a>",
      // Names in the same place one after another, each the start of the next or of the one before.
      "<a><ab p='1'/><abc pq='2'/><ab p='3'/></a>",
      testing::ReadFile(testing::SampleDataDir() + "/SystemPipedex.xml"),
  };
  for (const std::string& text : documents) {
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(text.c_str(), pugi::parse_default | pugi::parse_comments | pugi::parse_pi));
    const std::string bytes = flat::Compile(doc);
    const flat::Document compiled(bytes);
    const std::vector<pugi::xml_node> nodes = InOrder(doc);
    ASSERT_EQ(compiled.NodeCount(), nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i)
      ASSERT_EQ(Answers(Element(compiled, static_cast<flat::NodeId>(i)), nodes[i]), Answers(Element(nodes[i]), nodes[i]))
          << "node " << i << " of " << text.substr(0, 60);
    EXPECT_EQ(Answers(Element(compiled, flat::kNoNode), {}), Answers(Element(), {}));
  }
}

// Compiled bytes cut short or changed anywhere raise flat::Corrupt or answer;
// no member reads outside the bytes (the sanitizer build checks that).
TEST(FlatElement, DamagedBytesRaiseCorruptAndNeverReadOutside) {
  pugi::xml_document doc;
  doc.load_string("<a x='1'><b>t</b><c>one<d>two</d></c></a>");
  testing::ForEachDamaged(flat::Compile(doc), [](const std::string& bytes) {
    try {
      const flat::Document compiled(bytes);
      for (flat::NodeId id = 0; id < compiled.NodeCount(); ++id) Answers(Element(compiled, id), {});
    } catch (const flat::Corrupt&) {
    } catch (const Error&) {
    }
  });
}

}  // namespace
}  // namespace pipedex::model
