#include "dense_catalogue.h"

#include <cmath>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "code_pool.h"

namespace pipedex::bench {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments;
constexpr std::size_t kTypesPerBlock = 40;
constexpr std::size_t kPCFTypesPerBlock = 6;
constexpr std::size_t kFamiliesPerBlock = 3;
constexpr int kFamilyMembers = 60;  // members of a family: five runs of twelve records

const char* const kWords[] = {"forged",   "carbon",  "steel",    "stainless", "duplex",   "bolted",   "bonnet",
                              "full",     "bore",    "reduced",  "port",      "class",    "rating",   "heavy",
                              "wall",     "lined",   "coated",   "galvanised", "seal",    "welded",   "threaded",
                              "socket",   "spigot",  "cryogenic", "service",  "extended", "stem",     "low",
                              "emission", "packing", "gear",     "operated",  "lever",    "handwheel", "fire",
                              "safe",     "design",  "to",       "client",    "standard", "pressure", "tested"};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

// A description of about `length` bytes, words chosen by `seed`.
std::string Description(std::size_t seed, std::size_t length) {
  std::string out;
  for (std::size_t i = 0; out.size() < length; ++i) {
    if (!out.empty()) out += i % 9 == 0 ? ", " : " ";
    out += kWords[((seed + 1) * 2654435761u + i * 40503u) / 7 % kWordCount];
  }
  out[0] = static_cast<char>(out[0] - 'a' + 'A');
  return out;
}

// Entry k of a block gets a very long description every few entries.
std::size_t DescriptionLength(std::size_t k, std::size_t every) { return k % every == 0 ? 280 : 24 + (k * 7) % 24; }

void Attr(pugi::xml_node node, const char* name, const std::string& value) {
  node.append_attribute(name).set_value(value.c_str());
}
void Child(pugi::xml_node node, const char* name, const std::string& text) {
  node.append_child(name).append_child(pugi::node_pcdata).set_value(text.c_str());
}

// The sample catalogue and what a dense block needs of it.
class DenseWriter {
 public:
  explicit DenseWriter(const std::string& samplePath) {
    pugi::xml_parse_result ok = sample_.load_file(samplePath.c_str(), kParseOptions);
    if (!ok) throw std::runtime_error("cannot read the sample catalogue " + samplePath + ": " + ok.description());
    pugi::xml_node root = sample_.child("ZENROD-ISOMETRICS-DATA");
    if (!root) throw std::runtime_error("the sample catalogue has no root element");
    // The two-character codes the sample uses stay out of the blocks.
    std::set<std::string> taken;
    auto take = [&](std::string_view s) {
      if (s.size() < 4) return;
      taken.emplace(s.substr(0, 2));
      taken.emplace(s.substr(s.size() - 2));
    };
    for (pugi::xpath_node n : root.select_nodes("//SKEY | //ENDPREP"))
      take(n.node().child_value()), take(n.node().attribute("Name").value()), take(n.node().attribute("Allow").value());
    for (pugi::xpath_node n : root.select_nodes("//@SKEY")) take(n.attribute().value());
    codes_ = CodePool(taken);
    // Configurations the sample's component types use, elbows' left out (so
    // the blocks add no default elbows).
    std::set<std::string> seen;
    for (pugi::xpath_node n : root.select_nodes("A_CPT/*/*[@Configuration and @PCFTYPE != 'ELBOW']/@Configuration")) {
      std::string c = n.attribute().value();
      if (c != "NonStandard" && seen.insert(c).second) configurations_.push_back(c);
    }
  }

  std::string Generate(std::size_t blocks) const {
    pugi::xml_document doc;
    doc.reset(sample_);
    pugi::xml_node root = doc.child("ZENROD-ISOMETRICS-DATA");
    for (std::size_t d = 1; d < blocks; ++d) AddBlock(root, d);
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
    return out.str();
  }

 private:
  // The SKEY codes of type k of a block: a family with one to three end forms.
  static std::vector<std::string> EndForms(std::size_t k) {
    switch (k % 3) {
      case 0: return {"BW", "FL", "**"};
      case 1: return {"SW"};
      default: return {"BW", "**"};
    }
  }

  void AddBlock(pugi::xml_node root, std::size_t d) const {
    const std::string block = std::to_string(d);
    pugi::xml_node cpt = root.child("A_CPT");
    pugi::xml_node skeys = root.child("A_SKEY");
    pugi::xml_node pcfidf = root.child("A_PCFIDF");
    pugi::xml_node endPreps = root.child("A_DEFAULT_ENDPREP");
    pugi::xml_node plotra = root.child("PLOTRA-ATTRIBUTES");
    if (!cpt || !skeys || !pcfidf || !endPreps || !plotra) throw std::runtime_error("the sample lacks a section");

    pugi::xml_node group = cpt.append_child(("Dense-" + block).c_str());
    Attr(group, "Description", Description(d, 400));
    pugi::xml_node list = endPreps.append_child("SKEYLIST");
    for (std::size_t k = 0; k < kTypesPerBlock; ++k) {
      const std::size_t n = (d - 1) * kTypesPerBlock + k;
      if (n >= codes_.size()) throw std::runtime_error("too many blocks for the SKEY code pool");
      const std::string& family = codes_[n];
      pugi::xml_node type = group.append_child(("D" + block + "-" + kWords[k % kWordCount] + "-" + std::to_string(k)).c_str());
      Attr(type, "PCFTYPE", "DP" + block + "-" + std::to_string(k % kPCFTypesPerBlock));
      Attr(type, "Configuration", configurations_[n % configurations_.size()]);
      Attr(type, "Description", Description(n, DescriptionLength(k, 8)));
      if (k % 4 == 0) Attr(type, "Rating", std::to_string(150 * (1 + k % 6)));
      for (const std::string& end : EndForms(k)) Child(type, "SKEY", family + end);
      if (k % 4 == 1) Child(type, "Operation", "Trim");
      for (const std::string& end : EndForms(k)) {
        pugi::xml_node s = skeys.append_child("SKEY");
        Attr(s, "Description", Description(n * 3 + end[0], DescriptionLength(k + end[0], 9)));
        Attr(s, "Category", k % 2 ? "ERECTION" : "FABRICATION");
        Attr(s, "IsoPriority", std::to_string(5 + (n % 12) * 5));
        s.append_child(pugi::node_pcdata).set_value((family + end).c_str());
        if (end != "SW") Child(list, "SKEY", family + end);
      }
    }
    Child(list, "CP_1_PREP", "**--");
    Child(list, "CP_2_PREP", "**--");

    // PCF types: a record of their own each, every third also a record the block shares.
    for (std::size_t j = 0; j < kPCFTypesPerBlock; ++j) {
      pugi::xml_node p = pcfidf.append_child(("DP" + block + "-" + std::to_string(j)).c_str());
      Child(p, "IDF", std::to_string(100000 + d * 10 + j));
      if (j % 3 == 0) Child(p, "IDF", std::to_string(2000000 + d));
    }

    // Attribute families of five runs of twelve records each, and a single attribute.
    pugi::xml_node suppress = plotra.child("PODFILE-SUPPRESS-LIST");
    auto att = [&] { return suppress ? plotra.insert_child_before("ATT", suppress) : plotra.append_child("ATT"); };
    for (std::size_t j = 0; j < kFamiliesPerBlock; ++j) {
      pugi::xml_node family = att();
      Attr(family, "PCFBASE", "D" + block + "-ATTRIBUTE-" + std::to_string(j) + "-");
      Attr(family, "NUMBER", std::to_string(kFamilyMembers));
      Attr(family, "BASE", "1");
      std::string idf;
      for (int run = 0; run < 5; ++run) {
        if (run) idf += ";12;";
        idf += std::to_string(3000000 + d * 1000 + j * 100 + static_cast<std::size_t>(run) * 20);
      }
      Attr(family, "IDF", idf);
    }
    pugi::xml_node single = att();
    Attr(single, "PCF", "D" + block + "-ITEM-NOTE");
    Attr(single, "IDF", std::to_string(4000000 + d));

    // The tables grow with the blocks too: weld exclusions of the block's
    // records and SKEYs, bore rows beyond the sample's, a default connection.
    if (pugi::xml_node welds = root.child("WELD-EXCLUSION-LIST")) {
      pugi::xml_node all = welds.append_child("EXCLUDE");
      Attr(all, "IDF", std::to_string(100000 + d * 10 + 1));
      pugi::xml_node one = welds.append_child("EXCLUDE");
      Attr(one, "IDF", std::to_string(100000 + d * 10));
      Attr(one, "SKEY", codes_[(d - 1) * kTypesPerBlock] + "BW");
    }
    if (pugi::xml_node bores = root.child("BORE-CONVERSION-TABLE")) {
      for (int j = 0; j < 2; ++j) {
        pugi::xml_node bore = bores.append_child("BORE");
        Attr(bore, "MM", std::to_string(1000 + d * 10 + static_cast<std::size_t>(j) * 5));
        Attr(bore, "IN", std::to_string(40 + d * 2) + (j ? ".5" : ""));
      }
    }
    if (pugi::xml_node connections = root.child("DefaultConnectionTable")) {
      pugi::xml_node row = connections.append_child("ENDPREP");
      Attr(row, "Name", codes_[(d - 1) * kTypesPerBlock + 1] + "--");
      Attr(row, "Allow", "BW--");
    }
  }

  pugi::xml_document sample_;
  std::vector<std::string> codes_;
  std::vector<std::string> configurations_;
};

}  // namespace

std::string GenerateDenseCatalogue(const std::string& samplePath, std::size_t blocks) {
  return DenseWriter(samplePath).Generate(blocks < 1 ? 1 : blocks);
}

std::size_t DenseBlocksForSize(const std::string& samplePath, std::size_t targetBytes) {
  DenseWriter writer(samplePath);
  const double one = static_cast<double>(writer.Generate(1).size());
  const double perBlock = (static_cast<double>(writer.Generate(11).size()) - one) / 10;
  if (static_cast<double>(targetBytes) <= one || perBlock <= 0) return 1;
  return 1 + static_cast<std::size_t>(std::llround((static_cast<double>(targetBytes) - one) / perBlock));
}

}  // namespace pipedex::bench
