// exchange_json.cpp - Tiled's JSON map format (.tmj, .json) to and from the exchange record,
// through nlohmann-json. Messages name the file and the path of the value at fault.
#include <nlohmann/json.hpp>

#include <cmath>

#include "map/exchange/exchange_doc.h"

using nlohmann::json;

namespace {

struct Reader {
    std::string name;
    std::string error;

    bool fail(const std::string& where, const std::string& what) {
        if (error.empty()) error = where + ": " + what;
        return false;
    }
    const json* member(const json& object, const char* key) {
        if (!object.is_object()) return nullptr;
        auto it = object.find(key);
        return it == object.end() ? nullptr : &*it;
    }
    template <typename T>
    bool number(const json& object, const std::string& where, const char* key, T* out,
                bool required = false) {
        const json* v = member(object, key);
        if (!v) return !required || fail(where, std::string("lacks \"") + key + "\"");
        // Whole numbers only, in the range of the field.
        if (v->is_number_unsigned() && v->get<uint64_t>() <= uint64_t(std::numeric_limits<T>::max())) {
            *out = static_cast<T>(v->get<uint64_t>());
            return true;
        }
        if (v->is_number_integer() && std::is_signed_v<T> &&
            v->get<int64_t>() >= int64_t(std::numeric_limits<T>::min()) &&
            v->get<int64_t>() <= int64_t(std::numeric_limits<T>::max())) {
            *out = static_cast<T>(v->get<int64_t>());
            return true;
        }
        return fail(where, std::string("\"") + key + "\" is not a whole number in range");
    }
    bool real(const json& object, const std::string& where, const char* key, double* out) {
        const json* v = member(object, key);
        if (!v) return true;
        if (!v->is_number()) return fail(where, std::string("\"") + key + "\" is not a number");
        *out = v->get<double>();
        return true;
    }
    bool text(const json& object, const std::string& where, const char* key, std::string* out) {
        const json* v = member(object, key);
        if (!v) return true;
        if (!v->is_string()) return fail(where, std::string("\"") + key + "\" is not a text");
        *out = v->get<std::string>();
        return true;
    }
    bool boolean(const json& object, const std::string& where, const char* key, bool* out) {
        const json* v = member(object, key);
        if (!v) return true;
        if (!v->is_boolean()) return fail(where, std::string("\"") + key + "\" is not true or false");
        *out = v->get<bool>();
        return true;
    }
};

bool read_properties(Reader* r, const json& parent, const std::string& where,
                     std::vector<TiledProperty>* out) {
    const json* list = r->member(parent, "properties");
    if (!list) return true;
    if (!list->is_array()) return r->fail(where, "\"properties\" is not a list");
    for (size_t i = 0; i < list->size(); ++i) {
        const json& p = (*list)[i];
        TiledProperty prop;
        prop.where = where + ".properties[" + std::to_string(i) + "]";
        prop.type = "string";
        if (!p.is_object()) return r->fail(prop.where, "not an object");
        if (!r->text(p, prop.where, "name", &prop.name) || !r->text(p, prop.where, "type", &prop.type))
            return false;
        const json* v = r->member(p, "value");
        if (!v) return r->fail(prop.where, "lacks \"value\"");
        if (v->is_string())
            prop.value = v->get<std::string>();
        else if (v->is_boolean())
            prop.value = v->get<bool>() ? "true" : "false";
        else if (v->is_number() || v->is_null())
            prop.value = v->dump();
        else
            return r->fail(prop.where, "\"value\" is neither text, number nor true/false");
        out->push_back(std::move(prop));
    }
    return true;
}

// In a map a tileset has a first gid; a tileset file (.tsj) has none.
bool read_tileset(Reader* r, const json& t, const std::string& where, TiledTileset* ts,
                  bool in_map = true) {
    ts->where = where;
    if (!t.is_object()) return r->fail(where, "not an object");
    std::string trans;
    if ((in_map && !r->number(t, where, "firstgid", &ts->firstgid, true)) ||
        !r->text(t, where, "source", &ts->source) || !r->text(t, where, "name", &ts->name) ||
        !r->number(t, where, "tilewidth", &ts->tilewidth) ||
        !r->number(t, where, "tileheight", &ts->tileheight) ||
        !r->number(t, where, "tilecount", &ts->tilecount) ||
        !r->number(t, where, "columns", &ts->columns) || !r->text(t, where, "image", &ts->image) ||
        !r->number(t, where, "imagewidth", &ts->imagewidth) ||
        !r->number(t, where, "imageheight", &ts->imageheight) ||
        !r->text(t, where, "transparentcolor", &trans))
        return false;
    ts->trans = trans.size() == 7 && trans[0] == '#' ? trans.substr(1) : trans;
    return true;
}

bool read_layer(Reader* r, const json& l, const std::string& where, TiledLayer* layer) {
    layer->where = where;
    if (!l.is_object()) return r->fail(where, "not an object");
    std::string type;
    if (!r->text(l, where, "type", &type) || !r->text(l, where, "name", &layer->name) ||
        !r->number(l, where, "id", &layer->id) ||
        !r->text(l, where, "tintcolor", &layer->tintcolor) ||
        !read_properties(r, l, where, &layer->properties))
        return false;
    if (type == "tilelayer") {
        layer->kind = TiledLayer::tiles;
        if (!r->number(l, where, "width", &layer->width, true) ||
            !r->number(l, where, "height", &layer->height, true) ||
            !r->text(l, where, "encoding", &layer->encoding) ||
            !r->text(l, where, "compression", &layer->compression))
            return false;
        layer->chunked = r->member(l, "chunks") != nullptr;
        const json* data = r->member(l, "data");
        if (layer->chunked) return true;
        if (!data) return r->fail(where, "layer '" + layer->name + "' has no \"data\"");
        if (data->is_string()) {
            if (layer->encoding.empty()) layer->encoding = "base64";
            layer->text = data->get<std::string>();
        } else if (data->is_array()) {
            layer->encoding.clear();
            if (data->size() > (size_t{1} << 20))
                return r->fail(where, "layer '" + layer->name + "' has too many cells");
            layer->numbers.reserve(data->size());
            for (const json& v : *data) {
                if (!v.is_number_unsigned())
                    return r->fail(where + ".data[" + std::to_string(layer->numbers.size()) + "]",
                                   "not a tile number");
                layer->numbers.push_back(v.get<uint64_t>());
            }
        } else {
            return r->fail(where, "\"data\" is neither a list nor a text");
        }
    } else if (type == "objectgroup") {
        layer->kind = TiledLayer::object_group;
        const json* objects = r->member(l, "objects");
        if (objects && !objects->is_array()) return r->fail(where, "\"objects\" is not a list");
        for (size_t i = 0; objects && i < objects->size(); ++i) {
            const json& o = (*objects)[i];
            TiledObject obj;
            obj.where = where + ".objects[" + std::to_string(i) + "]";
            if (!o.is_object()) return r->fail(obj.where, "not an object");
            if (!r->number(o, obj.where, "id", &obj.id) || !r->number(o, obj.where, "gid", &obj.gid) ||
                !r->real(o, obj.where, "x", &obj.x) || !r->real(o, obj.where, "y", &obj.y) ||
                !r->real(o, obj.where, "width", &obj.width) ||
                !r->real(o, obj.where, "height", &obj.height) ||
                !r->real(o, obj.where, "rotation", &obj.rotation))
                return false;
            layer->objects.push_back(obj);
        }
    } else {
        layer->kind = TiledLayer::other;
        layer->type_name = type.empty() ? "untyped" : type;
    }
    return true;
}

json properties_json(const std::vector<TiledProperty>& props) {
    json list = json::array();
    for (const TiledProperty& p : props) {
        json v;
        if (p.type == "bool")
            v = p.value == "true";
        else
            v = p.value;
        list.push_back({{"name", p.name}, {"type", p.type}, {"value", v}});
    }
    return list;
}

} // namespace

namespace {

std::string load_json(std::span<const uint8_t> bytes, const std::string& name, json* doc) {
    try {
        *doc = json::parse(bytes.begin(), bytes.end());
    } catch (const json::parse_error& e) {
        return name + ": byte " + std::to_string(e.byte) + ": not a readable JSON file";
    } catch (const json::exception&) {
        return name + ": not a readable JSON file (a number out of range)";
    }
    return {};
}

} // namespace

std::string tiled_json_tileset_parse(std::span<const uint8_t> bytes, const std::string& name,
                                     TiledTileset* ts) {
    Reader r;
    r.name = name;
    json doc;
    if (std::string error = load_json(bytes, name, &doc); !error.empty()) return error;
    std::string type;
    if (!r.text(doc, name, "type", &type)) return r.error;
    if (!doc.is_object() || type != "tileset") return name + ": not a Tiled tileset (\"type\" is not \"tileset\")";
    return read_tileset(&r, doc, name, ts, false) ? std::string() : r.error;
}

std::string tiled_json_parse(std::span<const uint8_t> bytes, const std::string& name,
                             TiledMap* map) {
    Reader r;
    r.name = name;
    json doc;
    if (std::string error = load_json(bytes, name, &doc); !error.empty()) return error;
    if (!doc.is_object()) return name + ": not a Tiled map (no top-level object)";
    std::string type;
    const std::string top = name + ": map";
    if (!r.text(doc, top, "type", &type)) return r.error;
    if (type != "map") return name + ": not a Tiled map (\"type\" is not \"map\")";
    if (!r.text(doc, top, "orientation", &map->orientation) ||
        !r.number(doc, top, "width", &map->width, true) ||
        !r.number(doc, top, "height", &map->height, true) ||
        !r.number(doc, top, "tilewidth", &map->tilewidth, true) ||
        !r.number(doc, top, "tileheight", &map->tileheight, true) ||
        !r.boolean(doc, top, "infinite", &map->infinite) ||
        !read_properties(&r, doc, top, &map->properties))
        return r.error;
    const json* tilesets = r.member(doc, "tilesets");
    if (tilesets && !tilesets->is_array()) return name + ": \"tilesets\" is not a list";
    for (size_t i = 0; tilesets && i < tilesets->size(); ++i) {
        map->tilesets.emplace_back();
        if (!read_tileset(&r, (*tilesets)[i], name + ": tilesets[" + std::to_string(i) + "]",
                          &map->tilesets.back()))
            return r.error;
    }
    const json* layers = r.member(doc, "layers");
    if (layers && !layers->is_array()) return name + ": \"layers\" is not a list";
    for (size_t i = 0; layers && i < layers->size(); ++i) {
        map->layers.emplace_back();
        if (!read_layer(&r, (*layers)[i], name + ": layers[" + std::to_string(i) + "]", &map->layers.back()))
            return r.error;
    }
    return {};
}

std::string tiled_json_format(const TiledMap& map) {
    json doc = {{"type", "map"},
                {"version", "1.8"},
                {"tiledversion", "1.8.2"},
                {"orientation", map.orientation},
                {"renderorder", "right-down"},
                {"width", map.width},
                {"height", map.height},
                {"tilewidth", map.tilewidth},
                {"tileheight", map.tileheight},
                {"infinite", map.infinite},
                {"nextlayerid", map.nextlayerid},
                {"nextobjectid", map.nextobjectid},
                {"compressionlevel", -1}};
    if (!map.properties.empty()) doc["properties"] = properties_json(map.properties);
    json tilesets = json::array();
    for (const TiledTileset& ts : map.tilesets) {
        json t = {{"firstgid", ts.firstgid},   {"name", ts.name},
                  {"tilewidth", ts.tilewidth}, {"tileheight", ts.tileheight},
                  {"tilecount", ts.tilecount}, {"columns", ts.columns},
                  {"image", ts.image},         {"imagewidth", ts.imagewidth},
                  {"imageheight", ts.imageheight}, {"margin", 0}, {"spacing", 0}};
        if (!ts.trans.empty()) t["transparentcolor"] = "#" + ts.trans;
        tilesets.push_back(std::move(t));
    }
    doc["tilesets"] = std::move(tilesets);
    json layers = json::array();
    for (const TiledLayer& layer : map.layers) {
        json l = {{"id", layer.id}, {"name", layer.name}, {"opacity", 1},
                  {"visible", true}, {"x", 0},          {"y", 0}};
        if (!layer.tintcolor.empty()) l["tintcolor"] = layer.tintcolor;
        if (!layer.properties.empty()) l["properties"] = properties_json(layer.properties);
        if (layer.kind == TiledLayer::tiles) {
            l["type"] = "tilelayer";
            l["width"] = layer.width;
            l["height"] = layer.height;
            l["encoding"] = layer.encoding;
            if (!layer.compression.empty()) l["compression"] = layer.compression;
            l["data"] = layer.text;
        } else {
            l["type"] = "objectgroup";
            l["draworder"] = "topdown";
            json objects = json::array();
            for (const TiledObject& o : layer.objects)
                objects.push_back({{"id", o.id}, {"gid", o.gid}, {"x", o.x}, {"y", o.y},
                                   {"width", o.width}, {"height", o.height}, {"rotation", 0},
                                   {"name", ""}, {"type", ""}, {"visible", true}});
            l["objects"] = std::move(objects);
        }
        layers.push_back(std::move(l));
    }
    doc["layers"] = std::move(layers);
    return doc.dump(1);
}
