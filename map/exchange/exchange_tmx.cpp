// exchange_tmx.cpp - Tiled's XML map format (TMX) to and from the exchange record, through
// pugixml. Messages name the file and line of the element at fault.
#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>

#include "map/exchange/exchange_doc.h"

namespace {

struct Reader {
    std::string name;
    std::vector<size_t> line_starts; // offsets where each line begins
    std::string error;

    std::string where(const pugi::xml_node& node) const {
        auto offset = static_cast<size_t>(std::max<ptrdiff_t>(node.offset_debug(), 0));
        size_t line = std::upper_bound(line_starts.begin(), line_starts.end(), offset) -
                      line_starts.begin();
        return name + ":" + std::to_string(line);
    }
    bool fail(const pugi::xml_node& node, const std::string& what) {
        if (error.empty()) error = where(node) + ": " + what;
        return false;
    }
    // A whole number attribute; absent ones keep their default unless required.
    template <typename T>
    bool number(const pugi::xml_node& node, const char* attr, T* out, bool required = false) {
        pugi::xml_attribute a = node.attribute(attr);
        if (!a) return !required || fail(node, std::string("<") + node.name() + "> lacks " + attr);
        const char* text = a.value();
        const char* end = text + std::strlen(text);
        T value{};
        auto [ptr, ec] = std::from_chars(text, end, value);
        if (ec != std::errc() || ptr != end)
            return fail(node, std::string(attr) + "=\"" + std::string(text).substr(0, 40) +
                                  "\" is not a whole number in range");
        *out = value;
        return true;
    }
    bool real(const pugi::xml_node& node, const char* attr, double* out) {
        pugi::xml_attribute a = node.attribute(attr);
        if (!a) return true;
        const char* text = a.value();
        const char* end = text + std::strlen(text);
        auto [ptr, ec] = std::from_chars(text, end, *out);
        if (ec != std::errc() || ptr != end)
            return fail(node, std::string(attr) + "=\"" + std::string(text).substr(0, 40) +
                                  "\" is not a number");
        return true;
    }
};

bool read_properties(Reader* r, const pugi::xml_node& parent, std::vector<TiledProperty>* out) {
    for (pugi::xml_node p : parent.child("properties").children("property")) {
        TiledProperty prop;
        prop.name = p.attribute("name").value();
        prop.type = p.attribute("type") ? p.attribute("type").value() : "string";
        // Tiled writes values with line breaks as the element's text.
        prop.value = p.attribute("value") ? p.attribute("value").value() : p.text().get();
        prop.where = r->where(p);
        out->push_back(std::move(prop));
    }
    return true;
}

// In a map a tileset has a first gid; a tileset file (.tsx) has none.
bool read_tileset(Reader* r, const pugi::xml_node& t, TiledTileset* ts, bool in_map = true) {
    ts->where = r->where(t);
    if (in_map && !r->number(t, "firstgid", &ts->firstgid, true)) return false;
    ts->source = t.attribute("source").value();
    ts->name = t.attribute("name").value();
    if (!r->number(t, "tilewidth", &ts->tilewidth) || !r->number(t, "tileheight", &ts->tileheight) ||
        !r->number(t, "tilecount", &ts->tilecount) || !r->number(t, "columns", &ts->columns))
        return false;
    pugi::xml_node image = t.child("image");
    ts->image = image.attribute("source").value();
    ts->trans = image.attribute("trans").value();
    return r->number(image, "width", &ts->imagewidth) &&
           r->number(image, "height", &ts->imageheight);
}

bool read_layer(Reader* r, const pugi::xml_node& l, TiledLayer* layer) {
    layer->where = r->where(l);
    layer->name = l.attribute("name").value();
    layer->tintcolor = l.attribute("tintcolor").value();
    if (!r->number(l, "id", &layer->id)) return false;
    read_properties(r, l, &layer->properties);
    if (std::strcmp(l.name(), "layer") == 0) {
        layer->kind = TiledLayer::tiles;
        if (!r->number(l, "width", &layer->width, true) ||
            !r->number(l, "height", &layer->height, true))
            return false;
        pugi::xml_node data = l.child("data");
        if (!data) return r->fail(l, "layer '" + layer->name + "' has no <data>");
        layer->encoding = data.attribute("encoding").value();
        layer->compression = data.attribute("compression").value();
        layer->chunked = static_cast<bool>(data.child("chunk"));
        if (layer->encoding.empty()) {
            // Plain XML: one <tile gid="..."/> per cell, a missing gid meaning empty.
            for (pugi::xml_node tile : data.children("tile")) {
                uint64_t gid = 0;
                if (!r->number(tile, "gid", &gid)) return false;
                layer->numbers.push_back(gid);
                if (layer->numbers.size() > (size_t{1} << 20))
                    return r->fail(tile, "layer '" + layer->name + "' has too many cells");
            }
        } else {
            layer->text = data.text().get();
        }
    } else if (std::strcmp(l.name(), "objectgroup") == 0) {
        layer->kind = TiledLayer::object_group;
        for (pugi::xml_node o : l.children("object")) {
            TiledObject obj;
            obj.where = r->where(o);
            if (!r->number(o, "id", &obj.id) || !r->number(o, "gid", &obj.gid) ||
                !r->real(o, "x", &obj.x) || !r->real(o, "y", &obj.y) ||
                !r->real(o, "width", &obj.width) || !r->real(o, "height", &obj.height) ||
                !r->real(o, "rotation", &obj.rotation))
                return false;
            layer->objects.push_back(obj);
        }
    } else {
        layer->kind = TiledLayer::other;
        layer->type_name = l.name();
    }
    return true;
}

// Adds a property element; Tiled leaves the type out for strings.
void write_properties(pugi::xml_node parent, const std::vector<TiledProperty>& props) {
    if (props.empty()) return;
    pugi::xml_node list = parent.append_child("properties");
    for (const TiledProperty& p : props) {
        pugi::xml_node node = list.append_child("property");
        node.append_attribute("name") = p.name.c_str();
        if (p.type != "string") node.append_attribute("type") = p.type.c_str();
        node.append_attribute("value") = p.value.c_str();
    }
}

} // namespace

namespace {

// Loads the XML with the reader's line table; the reason with its line when it is damaged.
std::string load_xml(std::span<const uint8_t> bytes, const std::string& name, Reader* r,
                     pugi::xml_document* doc) {
    r->name = name;
    r->line_starts.push_back(0);
    for (size_t i = 0; i < bytes.size(); ++i)
        if (bytes[i] == '\n') r->line_starts.push_back(i + 1);
    pugi::xml_parse_result parsed =
        doc->load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_utf8);
    if (parsed) return {};
    auto offset = static_cast<size_t>(std::max<ptrdiff_t>(parsed.offset, 0));
    size_t line = std::upper_bound(r->line_starts.begin(), r->line_starts.end(), offset) -
                  r->line_starts.begin();
    return name + ":" + std::to_string(line) + ": not a readable XML file: " + parsed.description();
}

} // namespace

std::string tsx_parse(std::span<const uint8_t> bytes, const std::string& name, TiledTileset* ts) {
    Reader r;
    pugi::xml_document doc;
    if (std::string error = load_xml(bytes, name, &r, &doc); !error.empty()) return error;
    pugi::xml_node t = doc.child("tileset");
    if (!t) return name + ": not a Tiled tileset (no <tileset> element)";
    return read_tileset(&r, t, ts, false) ? std::string() : r.error;
}

std::string tmx_parse(std::span<const uint8_t> bytes, const std::string& name, TiledMap* map) {
    Reader r;
    pugi::xml_document doc;
    if (std::string error = load_xml(bytes, name, &r, &doc); !error.empty()) return error;
    pugi::xml_node m = doc.child("map");
    if (!m) return name + ": not a Tiled map (no <map> element)";
    map->orientation = m.attribute("orientation").value();
    int infinite = 0;
    if (!r.number(m, "width", &map->width, true) || !r.number(m, "height", &map->height, true) ||
        !r.number(m, "tilewidth", &map->tilewidth, true) ||
        !r.number(m, "tileheight", &map->tileheight, true) || !r.number(m, "infinite", &infinite))
        return r.error;
    map->infinite = infinite != 0;
    read_properties(&r, m, &map->properties);
    for (pugi::xml_node t : m.children("tileset")) {
        map->tilesets.emplace_back();
        if (!read_tileset(&r, t, &map->tilesets.back())) return r.error;
    }
    for (pugi::xml_node l : m.children()) {
        std::string tag = l.name();
        if (tag == "properties" || tag == "tileset" || tag == "editorsettings") continue;
        map->layers.emplace_back();
        if (!read_layer(&r, l, &map->layers.back())) return r.error;
    }
    return {};
}

std::string tmx_format(const TiledMap& map) {
    pugi::xml_document doc;
    pugi::xml_node decl = doc.append_child(pugi::node_declaration);
    decl.append_attribute("version") = "1.0";
    decl.append_attribute("encoding") = "UTF-8";
    pugi::xml_node m = doc.append_child("map");
    m.append_attribute("version") = "1.8";
    m.append_attribute("tiledversion") = "1.8.2";
    m.append_attribute("orientation") = map.orientation.c_str();
    m.append_attribute("renderorder") = "right-down";
    m.append_attribute("width") = map.width;
    m.append_attribute("height") = map.height;
    m.append_attribute("tilewidth") = map.tilewidth;
    m.append_attribute("tileheight") = map.tileheight;
    m.append_attribute("infinite") = map.infinite ? 1 : 0;
    m.append_attribute("nextlayerid") = map.nextlayerid;
    m.append_attribute("nextobjectid") = map.nextobjectid;
    write_properties(m, map.properties);
    for (const TiledTileset& ts : map.tilesets) {
        pugi::xml_node t = m.append_child("tileset");
        t.append_attribute("firstgid") = ts.firstgid;
        t.append_attribute("name") = ts.name.c_str();
        t.append_attribute("tilewidth") = ts.tilewidth;
        t.append_attribute("tileheight") = ts.tileheight;
        t.append_attribute("tilecount") = ts.tilecount;
        t.append_attribute("columns") = ts.columns;
        pugi::xml_node image = t.append_child("image");
        image.append_attribute("source") = ts.image.c_str();
        if (!ts.trans.empty()) image.append_attribute("trans") = ts.trans.c_str();
        image.append_attribute("width") = ts.imagewidth;
        image.append_attribute("height") = ts.imageheight;
    }
    for (const TiledLayer& layer : map.layers) {
        bool tiles = layer.kind == TiledLayer::tiles;
        pugi::xml_node l = m.append_child(tiles ? "layer" : "objectgroup");
        l.append_attribute("id") = layer.id;
        l.append_attribute("name") = layer.name.c_str();
        if (tiles) {
            l.append_attribute("width") = layer.width;
            l.append_attribute("height") = layer.height;
        }
        if (!layer.tintcolor.empty()) l.append_attribute("tintcolor") = layer.tintcolor.c_str();
        write_properties(l, layer.properties);
        if (tiles) {
            pugi::xml_node data = l.append_child("data");
            data.append_attribute("encoding") = layer.encoding.c_str();
            if (!layer.compression.empty())
                data.append_attribute("compression") = layer.compression.c_str();
            data.text().set(layer.text.c_str());
            continue;
        }
        for (const TiledObject& o : layer.objects) {
            pugi::xml_node node = l.append_child("object");
            node.append_attribute("id") = o.id;
            node.append_attribute("gid") = static_cast<unsigned long long>(o.gid);
            node.append_attribute("x") = o.x;
            node.append_attribute("y") = o.y;
            node.append_attribute("width") = o.width;
            node.append_attribute("height") = o.height;
        }
    }
    std::ostringstream out;
    doc.save(out, " ", pugi::format_default, pugi::encoding_utf8);
    return out.str();
}
