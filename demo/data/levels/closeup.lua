-- The closeup level (contour): its hooks announce themselves.

function closeup_init()
    announce("closeup_init")
end

function closeup_update()
    return 0
end

function closeup_ON_ENTER()
    announce("closeup_ON_ENTER")
    if inventory.counts.vase_1 then add_mouse_element("vase_1") end
end

function closeup_ON_LEAVE()
    announce("closeup_ON_LEAVE")
end

function closeup_on_hint()
    return 0
end

function closeup_ON_SKIP()
    announce("closeup_ON_SKIP")
    return 1
end
