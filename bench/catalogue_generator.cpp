#include "catalogue_generator.h"
#include "code_pool.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iomanip>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

namespace pipedex::bench {
namespace {

constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_declaration | pugi::parse_comments;
constexpr int kIdfStep = 1000;  // IDF records of replica r are the sample's plus r * 1000
constexpr double kBoreStepMM = 1000;
constexpr double kBoreStepIN = 40;

std::string Trimmed(std::string_view s) {
  auto b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return "";
  auto e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Rewrites an SKEY text code by code (`code` maps a two-character code).
// Shapes: "BW" (end type), "ELBW", "EL**", "PB+D" / "PB3D" (bend families),
// "ZSW2" (several welds), "FLWN" (flanges keep their FL family).
std::string MapSKEY(const std::string& s, const std::function<std::string(const std::string&)>& code) {
  if (s.size() == 2) return code(s);
  if (s.size() != 4) return s;
  if (s[0] == 'Z' && IsDigit(s[3])) return "Z" + code(s.substr(1, 2)) + s[3];
  if (s.compare(0, 2, "FL") == 0) return "FL" + code(s.substr(2, 2));
  if (s.compare(2, 2, "**") == 0) return code(s.substr(0, 2)) + "**";
  if (s[2] == '+' || IsDigit(s[2])) return code(s.substr(0, 2)) + s.substr(2);
  return code(s.substr(0, 2)) + code(s.substr(2, 2));
}

// "BW--" -> code("BW") + "--"; the derived marker "**--" stays.
std::string MapEndPrep(const std::string& s, const std::function<std::string(const std::string&)>& code) {
  if (s.size() != 4 || s.compare(2, 2, "--") != 0 || s == "**--") return s;
  return code(s.substr(0, 2)) + "--";
}

std::string NumberText(double v) {
  std::ostringstream out;
  out << std::setprecision(15) << v;
  return out.str();
}

pugi::xml_node Section(pugi::xml_node root, const char* name) { return root.child(name); }

std::vector<pugi::xml_node> Elements(pugi::xml_node parent) {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node c : parent.children())
    if (c.type() == pugi::node_element) out.push_back(c);
  return out;
}

void RemoveComments(pugi::xml_node node) {
  for (pugi::xml_node c = node.first_child(); c;) {
    pugi::xml_node next = c.next_sibling();
    if (c.type() == pugi::node_comment)
      node.remove_child(c);
    else
      RemoveComments(c);
    c = next;
  }
}

void SetText(pugi::xml_node element, const std::string& text) {
  for (pugi::xml_node c : element.children()) {
    if (c.type() == pugi::node_pcdata) {
      c.set_value(text.c_str());
      return;
    }
  }
  element.append_child(pugi::node_pcdata).set_value(text.c_str());
}

std::string TextOf(pugi::xml_node element) { return Trimmed(element.child_value()); }

void SetAttr(pugi::xml_node node, const char* name, const std::string& value) {
  if (pugi::xml_attribute a = node.attribute(name)) a.set_value(value.c_str());
}

// The sample catalogue and the renaming rules of its replicas.
class Replicator {
 public:
  explicit Replicator(const std::string& samplePath) {
    pugi::xml_parse_result ok = sample_.load_file(samplePath.c_str(), kParseOptions);
    if (!ok) throw std::runtime_error("cannot read the sample catalogue " + samplePath + ": " + ok.description());
    root_ = sample_.child("ZENROD-ISOMETRICS-DATA");
    if (!root_) throw std::runtime_error("the sample catalogue has no root element");
    CollectCodes();
    pool_ = CodePool(std::set<std::string>(codes_.begin(), codes_.end()));
  }

  std::string Code(std::size_t r, const std::string& code) const {
    if (r == 0) return code;
    auto it = codeIndex_.find(code);
    if (it == codeIndex_.end()) return code;
    std::size_t i = (r - 1) * codes_.size() + it->second;
    if (i >= pool_.size()) throw std::runtime_error("too many replicas for the SKEY code pool");
    return pool_[i];
  }

  std::string Generate(std::size_t replicas) const {
    pugi::xml_document doc;
    doc.reset(sample_);
    pugi::xml_node root = doc.child("ZENROD-ISOMETRICS-DATA");
    for (std::size_t r = 1; r < replicas; ++r) AddReplica(root, r);
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
    return out.str();
  }

  static std::string GroupName(std::size_t r, const std::string& g) {
    return r == 0 ? g : g + "-R" + std::to_string(r);
  }
  static std::string TypeName(std::size_t r, const std::string& t) {
    return r == 0 ? t : "R" + std::to_string(r) + "-" + t;
  }

 private:
  void Record(const std::string& code) {
    if (code.size() != 2 || code == "**" || code.find_first_of("+*~") != std::string::npos) return;
    if (codeIndex_.emplace(code, codes_.size()).second) codes_.push_back(code);
  }
  std::function<std::string(const std::string&)> Recorder() {
    return [this](const std::string& c) {
      Record(c);
      return c;
    };
  }
  std::function<std::string(const std::string&)> Mapper(std::size_t r) const {
    return [this, r](const std::string& c) { return Code(r, c); };
  }

  void CollectCodes() {
    auto rec = Recorder();
    for (pugi::xpath_node n : root_.select_nodes("A_CPT/*/*/SKEY | A_SKEY/SKEY | A_DEFAULT_ENDPREP/SKEYLIST/SKEY | "
                                                 "A_CPT/*/*/Placement/SKEY"))
      MapSKEY(TextOf(n.node()), rec);
    for (pugi::xpath_node n : root_.select_nodes("A_ENDPREP/ENDPREP | A_DEFAULT_ENDPREP/SKEYLIST/*"))
      MapEndPrep(TextOf(n.node()), rec);
    for (pugi::xpath_node n : root_.select_nodes("DefaultConnectionTable/ENDPREP/@*"))
      MapEndPrep(n.attribute().value(), rec);
    for (pugi::xpath_node n : root_.select_nodes("WELD-EXCLUSION-LIST/EXCLUDE/@SKEY")) MapSKEY(n.attribute().value(), rec);
  }

  static std::string PcfType(std::size_t r, const std::string& p) {
    return (p.empty() || p == "ELBOW") ? p : p + "-R" + std::to_string(r);
  }
  static std::string Configuration(std::size_t r, const std::string& c) {
    static const std::set<std::string> kept = {"Angle_90", "Angle_60", "Angle_45", "Angle_30", "NonStandard", "Return_2D"};
    return (c.empty() || kept.count(c)) ? c : "R" + std::to_string(r) + ":" + c;
  }
  static std::string Idf(std::size_t r, const std::string& n) {
    return std::to_string(std::stol(n) + kIdfStep * static_cast<long>(r));
  }
  // Record numbers of an ATT element's IDF text; a family's counts (odd positions) stay.
  static std::string IdfList(std::size_t r, const std::string& list, bool family) {
    std::string out;
    std::size_t start = 0, pos = 0;
    while (true) {
      std::size_t semi = list.find(';', start);
      std::string part = list.substr(start, semi == std::string::npos ? std::string::npos : semi - start);
      if (!out.empty() || pos > 0) out += ";";
      out += (family && pos % 2 == 1) ? part : Idf(r, part);
      if (semi == std::string::npos) break;
      start = semi + 1;
      ++pos;
    }
    return out;
  }
  static std::string Suffixed(std::size_t r, const std::string& s) { return s + "-R" + std::to_string(r); }

  void AddReplica(pugi::xml_node root, std::size_t r) const {
    auto code = Mapper(r);
    auto skey = [&](const std::string& s) { return MapSKEY(s, code); };
    auto endPrep = [&](const std::string& s) { return MapEndPrep(s, code); };
    auto copyOf = [](pugi::xml_node parent, pugi::xml_node original) {
      pugi::xml_node c = parent.append_copy(original);
      RemoveComments(c);
      return c;
    };

    if (pugi::xml_node s = Section(root, "A_CPT")) {
      for (pugi::xml_node group : Elements(Section(root_, "A_CPT"))) {
        pugi::xml_node g = copyOf(s, group);
        g.set_name(GroupName(r, group.name()).c_str());
        for (pugi::xml_node type : Elements(g)) {
          type.set_name(TypeName(r, type.name()).c_str());
          SetAttr(type, "PCFTYPE", PcfType(r, type.attribute("PCFTYPE").value()));
          SetAttr(type, "Configuration", Configuration(r, type.attribute("Configuration").value()));
          for (pugi::xml_node child : Elements(type)) {
            if (std::string_view(child.name()) == "SKEY") SetText(child, skey(TextOf(child)));
            if (std::string_view(child.name()) != "Placement") continue;
            for (pugi::xml_node rule : Elements(child)) {
              if (std::string_view(rule.name()) == "SKEY") SetText(rule, skey(TextOf(rule)));
              if (std::string_view(rule.name()) == "ComponentType") SetText(rule, TypeName(r, TextOf(rule)));
            }
          }
        }
      }
    }
    if (pugi::xml_node s = Section(root, "A_SKEY")) {
      for (pugi::xml_node e : Elements(Section(root_, "A_SKEY"))) {
        pugi::xml_node c = copyOf(s, e);
        SetText(c, skey(TextOf(e)));
        if (c.attribute("Symbol")) SetAttr(c, "Symbol", Suffixed(r, c.attribute("Symbol").value()));
      }
    }
    if (pugi::xml_node s = Section(root, "A_ENDPREP")) {
      for (pugi::xml_node e : Elements(Section(root_, "A_ENDPREP"))) SetText(copyOf(s, e), endPrep(TextOf(e)));
    }
    if (pugi::xml_node s = Section(root, "A_CONFIGURATION")) {
      for (pugi::xml_node e : Elements(Section(root_, "A_CONFIGURATION")))
        SetText(copyOf(s, e), "R" + std::to_string(r) + ":" + TextOf(e));
    }
    if (pugi::xml_node s = Section(root, "A_PCFIDF")) {
      for (pugi::xml_node e : Elements(Section(root_, "A_PCFIDF"))) {
        if (std::string_view(e.name()) == "ELBOW") continue;  // elbows of every replica share it
        pugi::xml_node c = copyOf(s, e);
        c.set_name(PcfType(r, e.name()).c_str());
        for (pugi::xml_node idf : Elements(c))
          if (std::string_view(idf.name()) == "IDF") SetText(idf, Idf(r, TextOf(idf)));
      }
    }
    if (pugi::xml_node s = Section(root, "A_DEFAULT_ENDPREP")) {
      for (pugi::xml_node e : Elements(Section(root_, "A_DEFAULT_ENDPREP"))) {
        pugi::xml_node c = copyOf(s, e);
        for (pugi::xml_node child : Elements(c))
          SetText(child, std::string_view(child.name()) == "SKEY" ? skey(TextOf(child)) : endPrep(TextOf(child)));
      }
    }
    if (pugi::xml_node s = Section(root, "PLOTRA-ATTRIBUTES")) {
      pugi::xml_node suppress = s.child("PODFILE-SUPPRESS-LIST");
      for (pugi::xml_node e : Elements(Section(root_, "PLOTRA-ATTRIBUTES"))) {
        if (std::string_view(e.name()) == "ATT") {
          // Mappings stay in front of the suppress list, as in the sample.
          pugi::xml_node c = suppress ? s.insert_copy_before(e, suppress) : s.append_copy(e);
          RemoveComments(c);
          bool family = !c.attribute("PCF");
          if (c.attribute("PCF")) SetAttr(c, "PCF", TypeName(r, c.attribute("PCF").value()));
          if (c.attribute("PCFBASE")) SetAttr(c, "PCFBASE", TypeName(r, c.attribute("PCFBASE").value()));
          if (c.attribute("IDF")) SetAttr(c, "IDF", IdfList(r, c.attribute("IDF").value(), family));
        } else if (std::string_view(e.name()) == "PODFILE-SUPPRESS-LIST" && suppress) {
          for (pugi::xml_node att : Elements(e)) {
            pugi::xml_node c = copyOf(suppress, att);
            SetAttr(c, "SUPPRESS", TypeName(r, c.attribute("SUPPRESS").value()));
          }
        }
      }
    }
    if (pugi::xml_node s = Section(root, "WELD-EXCLUSION-LIST")) {
      for (pugi::xml_node e : Elements(Section(root_, "WELD-EXCLUSION-LIST"))) {
        pugi::xml_node c = copyOf(s, e);
        SetAttr(c, "IDF", Idf(r, c.attribute("IDF").value()));
        if (c.attribute("SKEY")) SetAttr(c, "SKEY", skey(c.attribute("SKEY").value()));
      }
    }
    if (pugi::xml_node s = Section(root, "BORE-CONVERSION-TABLE")) {
      for (pugi::xml_node e : Elements(Section(root_, "BORE-CONVERSION-TABLE"))) {
        pugi::xml_node c = copyOf(s, e);
        SetAttr(c, "MM", NumberText(c.attribute("MM").as_double() + kBoreStepMM * static_cast<double>(r)));
        SetAttr(c, "IN", NumberText(c.attribute("IN").as_double() + kBoreStepIN * static_cast<double>(r)));
      }
    }
    if (pugi::xml_node s = Section(root, "DefaultConnectionTable")) {
      for (pugi::xml_node e : Elements(Section(root_, "DefaultConnectionTable"))) {
        pugi::xml_node c = copyOf(s, e);
        SetAttr(c, "Name", endPrep(c.attribute("Name").value()));
        SetAttr(c, "Allow", endPrep(c.attribute("Allow").value()));
      }
    }
    if (pugi::xml_node s = Section(root, "SYMBOLS")) {
      for (pugi::xml_node e : Elements(Section(root_, "SYMBOLS"))) {
        pugi::xml_node c = copyOf(s, e);
        SetAttr(c, "Name", Suffixed(r, c.attribute("Name").value()));
      }
    }
  }

  pugi::xml_document sample_;
  pugi::xml_node root_;
  std::vector<std::string> codes_;
  std::map<std::string, std::size_t> codeIndex_;
  std::vector<std::string> pool_;
};

}  // namespace

std::string GenerateCatalogue(const std::string& samplePath, std::size_t replicas) {
  return Replicator(samplePath).Generate(std::max<std::size_t>(replicas, 1));
}

std::size_t ReplicasForSize(const std::string& samplePath, std::size_t targetBytes) {
  Replicator rep(samplePath);
  const double one = static_cast<double>(rep.Generate(1).size());
  const double perReplica = static_cast<double>(rep.Generate(3).size()) / 2 - one / 2;
  if (targetBytes <= one || perReplica <= 0) return 1;
  return 1 + static_cast<std::size_t>(std::llround((static_cast<double>(targetBytes) - one) / perReplica));
}

std::string ReplicaCode(const std::string& samplePath, std::size_t replica, const std::string& code) {
  return Replicator(samplePath).Code(replica, code);
}

std::string GenerateOverlay(std::size_t replicas, std::size_t targetBytes) {
  pugi::xml_document doc;
  pugi::xml_node root = doc.append_child("ZENROD-ISOMETRICS-DATA");
  pugi::xml_node cpt = root.append_child("U_CPT");
  pugi::xml_node moves = root.append_child("CHANGE_GROUPS");
  pugi::xml_node skeys = root.append_child("U_SKEY");
  pugi::xml_node bores = root.append_child("U_BORE-CONVERSION-TABLE");
  pugi::xml_node moveTarget = moves.append_child("Fittings");

  auto size = [&] {
    std::ostringstream out;
    doc.save(out, "  ", pugi::format_indent, pugi::encoding_utf8);
    return out.str();
  };
  auto addType = [](pugi::xml_node group, const std::string& name, const std::string& skey) {
    pugi::xml_node t = group.append_child(name.c_str());
    t.append_attribute("PCFTYPE") = "VALVE";
    t.append_attribute("Configuration") = "Valve_Inline";
    t.append_attribute("Description") = "Project valve";
    t.append_child("SKEY").text() = skey.c_str();
    t.append_child("Operation").text() = "PlaceIn";
  };

  std::string text = size();
  for (std::size_t n = 1; text.size() < targetBytes; ++n) {
    const std::size_t r = replicas > 1 ? 1 + (n * 7919) % (replicas - 1) : 0;  // spread over the replicas
    char id[16];
    std::snprintf(id, sizeof id, "P%05zu", n);
    // A new group with a new component type, a new type in an existing group,
    // and a new SKEY for an existing component type.
    pugi::xml_node group = cpt.append_child(("ProjectGroup-" + std::to_string(n)).c_str());
    group.append_attribute("Description") = "Project items";
    addType(group, "Project-Valve-" + std::to_string(n), std::string(id) + "A");
    addType(cpt.append_child(Replicator::GroupName(r, "Valves").c_str()), "Project-Plug-" + std::to_string(n),
            std::string(id) + "B");
    pugi::xml_node flanges = cpt.append_child(Replicator::GroupName(r, "Flanges").c_str());
    flanges.append_child(Replicator::TypeName(r, "Flange-WeldNeck").c_str()).append_child("SKEY").text() =
        (std::string(id) + "C").c_str();
    if (n % 4 == 0) moveTarget.append_child(Replicator::TypeName(r, "Olet-Weld").c_str());
    for (const char* suffix : {"A", "B", "C"}) {
      pugi::xml_node s = skeys.append_child("SKEY");
      s.append_attribute("Description") = "Project SKEY";
      s.append_attribute("Category") = "ERECTION";
      s.append_attribute("IsoPriority") = "75";
      s.text() = (std::string(id) + suffix).c_str();
    }
    pugi::xml_node bore = bores.append_child("BORE");
    bore.append_attribute("MM") = NumberText(kBoreStepMM * static_cast<double>(r) + 50).c_str();
    bore.append_attribute("IN") = NumberText(1000000 + static_cast<double>(n)).c_str();
    if (n % 16 == 0) text = size();
  }
  return size();
}

}  // namespace pipedex::bench
