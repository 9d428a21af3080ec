-- The rotator level (rotator): its hooks announce themselves.

function rotator_init()
    announce("rotator_init")
end

function rotator_update()
    return 0
end

function rotator_ON_ENTER()
    announce("rotator_ON_ENTER")
end

function rotator_ON_LEAVE()
    announce("rotator_ON_LEAVE")
end

function rotator_on_hint()
    return 0
end

function rotator_ON_SKIP()
    announce("rotator_ON_SKIP")
    return 1
end
