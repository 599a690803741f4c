gameobj_F = {
    object_name = "fuzz",
    object_tag = "Enemy",
    object_layer = 33,
    object_activity = 1,
    components = {
        Transform = { position = { x = 1, y = 2, z = 3 }, rotation = 45, scaling = { x = 2, y = 2 } },
        Unknown = { enabled = false },
    },
    children = {
        { base_script = "gameobj_F", object_name = "loop" },
        { base_script = "missing" },
        "not a table",
        { base_script = "gameobj_F", components = { Transform = { enabled = false } } },
    },
}
