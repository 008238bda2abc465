// The recording stand-in for the backend's three published objects. Each
// stub has exactly the slots of the real class (names and argument counts
// come from its meta-object), records every call with its arguments, and
// answers from tables: the settings accessors from in-memory stores, every
// other slot from `answers`, or with the empty value of its result type.
(function (interfaces) {
    var recorder = {
        log: [],
        answers: {},
        languages: {},
        global: {},
        profiles: [],
        defaults: {},
        current: 0
    }

    recorder.reset = function () {
        recorder.log = []
        recorder.answers = {}
        recorder.global = {}
        recorder.defaults = {}
        recorder.profiles = []
        for (var i = 0; i < 10; ++i)
            recorder.profiles.push({})
        recorder.current = 0
    }

    recorder.clearLog = function () {
        recorder.log = []
    }

    // "ui_View.mouseSetDpi" and the like, in call order; `only` keeps the
    // names that start with it.
    recorder.names = function (only) {
        var out = []
        for (var i = 0; i < recorder.log.length; ++i) {
            var name = recorder.log[i].name
            if (only === undefined || name.indexOf(only) === 0)
                out.push(name)
        }
        return out
    }

    recorder.callsTo = function (name) {
        return recorder.log.filter(function (entry) { return entry.name === name })
            .map(function (entry) { return entry.args })
    }

    recorder.profile = function () {
        return recorder.profiles[recorder.current] || {}
    }

    function emptyOf(type) {
        if (type === "QVariantList" || type === "QStringList")
            return []
        if (type === "bool")
            return false
        return undefined
    }

    function asList(value) {
        return Array.isArray(value) ? value.slice() : []
    }

    // The settings accessors keep their values like the real stores do.
    var stores = {
        "ui_View.getData": function (args) {
            var source = args[1] ? recorder.defaults : recorder.profile()
            return source[String(args[0])]
        },
        "ui_View.getGlobalData": function (args) { return recorder.global[String(args[0])] },
        "ui_View.getDataList": function (args) {
            var source = args[1] ? recorder.defaults : recorder.profile()
            return asList(source[String(args[0])])
        },
        "ui_View.setData": function (args) { recorder.profile()[String(args[0])] = args[1] },
        "ui_View.setGlobalData": function (args) { recorder.global[String(args[0])] = args[1] },
        "ui_View.setDataList": function (args) { recorder.profile()[String(args[0])] = asList(args[1]) },
        "ui_View.setCurrentProfile": function (args) { recorder.current = Number(args[0]) },
        // The delivered language files, as the real bridge reads them.
        "ui_View.getLangStrings": function (args) {
            var language = recorder.languages[String(args[1])] || {}
            return asList(language[String(args[0])])
        }
    }

    function makeSlot(objectName, slotName, overloads) {
        var full = objectName + "." + slotName
        return function () {
            var args = Array.prototype.slice.call(arguments)
            var overload = null
            for (var i = 0; i < overloads.length; ++i) {
                if (overloads[i].params === args.length)
                    overload = overloads[i]
            }
            if (overload === null)
                throw new Error(full + " takes " + overloads.map(function (o) { return o.params }).join(" or ")
                                + " arguments, not " + args.length)
            recorder.log.push({ name: full, args: args })
            var answer = recorder.answers[full]
            if (answer !== undefined)
                return typeof answer === "function" ? answer.apply(null, args) : answer
            if (stores[full] !== undefined) {
                var stored = stores[full](args)
                return stored === undefined ? emptyOf(overload.returns) : stored
            }
            return emptyOf(overload.returns)
        }
    }

    recorder.stubs = {}
    for (var objectName in interfaces) {
        var stub = {}
        var slots = interfaces[objectName]
        for (var slotName in slots)
            stub[slotName] = makeSlot(objectName, slotName, slots[slotName])
        recorder.stubs[objectName] = stub
    }
    recorder.reset()
    return recorder
})
