#include "gstcompressors.h"

#include "platform/gst/gstptr.h"

#include <algorithm>

namespace platform {

namespace {

struct FeatureListDeleter {
    void operator()(GList *list) const { gst_plugin_feature_list_free(list); }
};
using FeatureList = std::unique_ptr<GList, FeatureListDeleter>;

// avimux's "video_%u" template caps; null when avimux is not installed.
GstCapsPtr aviVideoCaps()
{
    GstPtr<GstElementFactory> mux = GstPtr<GstElementFactory>::adopt(gst_element_factory_find("avimux"));
    if (!mux)
        return nullptr;
    for (const GList *l = gst_element_factory_get_static_pad_templates(mux.get()); l; l = l->next) {
        auto *templ = static_cast<GstStaticPadTemplate *>(l->data);
        if (templ->direction == GST_PAD_SINK && g_str_has_prefix(templ->name_template, "video"))
            return GstCapsPtr(gst_static_pad_template_get_caps(templ));
    }
    return nullptr;
}

QString valueText(const GValue *value)
{
    if (G_VALUE_HOLDS_STRING(value))
        return QString::fromUtf8(g_value_get_string(value));
    if (G_VALUE_HOLDS_BOOLEAN(value))
        return g_value_get_boolean(value) ? QStringLiteral("true") : QStringLiteral("false");
    if (G_VALUE_HOLDS_ENUM(value)) {
        GEnumClass *cls = static_cast<GEnumClass *>(g_type_class_ref(G_VALUE_TYPE(value)));
        const GEnumValue *v = g_enum_get_value(cls, g_value_get_enum(value));
        QString text = v ? QString::fromUtf8(v->value_nick) : QString::number(g_value_get_enum(value));
        g_type_class_unref(cls);
        return text;
    }
    GValue str = G_VALUE_INIT;
    g_value_init(&str, G_TYPE_STRING);
    QString text;
    if (g_value_transform(value, &str))
        text = QString::fromUtf8(g_value_get_string(&str));
    g_value_unset(&str);
    return text;
}

} // namespace

std::vector<CompressorInfo> listVideoCompressors()
{
    std::vector<CompressorInfo> list;
    GstCapsPtr accepted = aviVideoCaps();
    if (!accepted)
        return list;
    FeatureList encoders(gst_element_factory_list_get_elements(GST_ELEMENT_FACTORY_TYPE_VIDEO_ENCODER, GST_RANK_NONE));
    FeatureList usable(gst_element_factory_list_filter(encoders.get(), accepted.get(), GST_PAD_SRC, FALSE));
    for (GList *l = usable.get(); l; l = l->next) {
        auto *factory = GST_ELEMENT_FACTORY(l->data);
        // Some "encoders" (payloaders, parsers mislabelled by their plugin) take no raw video.
        bool takesRaw = false;
        for (const GList *t = gst_element_factory_get_static_pad_templates(factory); t; t = t->next) {
            auto *templ = static_cast<GstStaticPadTemplate *>(t->data);
            if (templ->direction != GST_PAD_SINK)
                continue;
            GstCapsPtr caps(gst_static_pad_template_get_caps(templ));
            for (guint i = 0; i < gst_caps_get_size(caps.get()); ++i)
                takesRaw = takesRaw || gst_structure_has_name(gst_caps_get_structure(caps.get(), i), "video/x-raw");
        }
        if (!takesRaw)
            continue;
        CompressorInfo info;
        info.factory = QString::fromUtf8(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)));
        info.name = QString::fromUtf8(gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME));
        info.rank = int(gst_plugin_feature_get_rank(GST_PLUGIN_FEATURE(factory)));
        list.push_back(std::move(info));
    }
    std::sort(list.begin(), list.end(), [](const CompressorInfo &a, const CompressorInfo &b) {
        return a.rank != b.rank ? a.rank > b.rank : a.factory < b.factory;
    });
    return list;
}

std::vector<EncoderProperty> encoderProperties(const QString &factory)
{
    std::vector<EncoderProperty> list;
    GstElement *raw = gst_element_factory_make(factory.toUtf8().constData(), nullptr);
    if (!raw)
        return list;
    GstPtr<GstElement> element = GstPtr<GstElement>::sink(raw);
    guint count = 0;
    std::unique_ptr<GParamSpec *, decltype(&g_free)> params(
        g_object_class_list_properties(G_OBJECT_GET_CLASS(element.get()), &count), &g_free);
    for (guint i = 0; i < count; ++i) {
        GParamSpec *param = params.get()[i];
        if (!(param->flags & G_PARAM_WRITABLE) || (param->flags & (G_PARAM_CONSTRUCT_ONLY | G_PARAM_DEPRECATED)) ||
            !(param->flags & G_PARAM_READABLE) || param->owner_type == GST_TYPE_OBJECT ||
            param->owner_type == GST_TYPE_ELEMENT || param->owner_type == G_TYPE_OBJECT)
            continue;   // "name", "parent" and the like are not compressor settings
        EncoderProperty p;
        p.name = QString::fromUtf8(param->name);
        p.description = QString::fromUtf8(g_param_spec_get_blurb(param));
        const GType type = G_PARAM_SPEC_VALUE_TYPE(param);
        if (type == G_TYPE_BOOLEAN) {
            p.type = EncoderProperty::Type::Boolean;
        } else if (G_IS_PARAM_SPEC_INT(param)) {
            p.type = EncoderProperty::Type::Integer;
            p.minimum = G_PARAM_SPEC_INT(param)->minimum, p.maximum = G_PARAM_SPEC_INT(param)->maximum;
        } else if (G_IS_PARAM_SPEC_UINT(param)) {
            p.type = EncoderProperty::Type::Integer;
            p.minimum = G_PARAM_SPEC_UINT(param)->minimum, p.maximum = G_PARAM_SPEC_UINT(param)->maximum;
        } else if (G_IS_PARAM_SPEC_INT64(param)) {
            p.type = EncoderProperty::Type::Integer;
            p.minimum = double(G_PARAM_SPEC_INT64(param)->minimum), p.maximum = double(G_PARAM_SPEC_INT64(param)->maximum);
        } else if (G_IS_PARAM_SPEC_UINT64(param)) {
            p.type = EncoderProperty::Type::Integer;
            p.minimum = double(G_PARAM_SPEC_UINT64(param)->minimum), p.maximum = double(G_PARAM_SPEC_UINT64(param)->maximum);
        } else if (G_IS_PARAM_SPEC_FLOAT(param)) {
            p.type = EncoderProperty::Type::Real;
            p.minimum = G_PARAM_SPEC_FLOAT(param)->minimum, p.maximum = G_PARAM_SPEC_FLOAT(param)->maximum;
        } else if (G_IS_PARAM_SPEC_DOUBLE(param)) {
            p.type = EncoderProperty::Type::Real;
            p.minimum = G_PARAM_SPEC_DOUBLE(param)->minimum, p.maximum = G_PARAM_SPEC_DOUBLE(param)->maximum;
        } else if (G_IS_PARAM_SPEC_ENUM(param)) {
            p.type = EncoderProperty::Type::Choice;
            GEnumClass *cls = G_PARAM_SPEC_ENUM(param)->enum_class;
            for (guint v = 0; v < cls->n_values; ++v)
                p.choices.emplace_back(QString::fromUtf8(cls->values[v].value_nick),
                                       QString::fromUtf8(cls->values[v].value_name));
        } else if (type == G_TYPE_STRING) {
            p.type = EncoderProperty::Type::Text;
        } else {
            continue;   // flags, caps, structures, objects: nothing a settings form can edit
        }
        GValue value = G_VALUE_INIT;
        g_value_init(&value, type);
        g_object_get_property(G_OBJECT(element.get()), param->name, &value);
        p.value = valueText(&value);
        g_value_unset(&value);
        list.push_back(std::move(p));
    }
    return list;
}

QStringList applyEncoderSettings(GstElement *encoder, const std::vector<EncoderSetting> &settings)
{
    QStringList refused;
    for (const EncoderSetting &s : settings) {
        const QByteArray name = s.name.toUtf8();
        GParamSpec *param = g_object_class_find_property(G_OBJECT_GET_CLASS(encoder), name.constData());
        if (!param || !(param->flags & G_PARAM_WRITABLE)) {
            refused << s.name;
            continue;
        }
        gst_util_set_object_arg(G_OBJECT(encoder), name.constData(), s.value.toUtf8().constData());
    }
    return refused;
}

} // namespace platform
