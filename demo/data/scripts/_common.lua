-- The demo chapter's common script: everything the game calls by name.

-- Writes a line to the game's log once the game offers log_message, to the console before.
function announce(text)
    if log_message then
        log_message(text)
    else
        print(text)
    end
end

-- flown: the found objects moved into the panel by their flight.
common = {chapter = "", flown = {}}

function common.set_chapter(name)
    common.chapter = name
    announce("chapter " .. tostring(name))
end

function common.clear_level()
    announce("clear level")
    for _, element in ipairs(common.flown) do drop_inventory_element(element) end
    common.flown = {}
    -- The hero's bubble stays closed until the panel has something to say.
    if hide_main_panel_msg then hide_main_panel_msg() end
end

local function nameOf(element)
    if element == nil then return "?" end
    local ok, name = pcall(function() return element:getName() end)
    if ok and name then return name end
    return "?"
end

-- A found object flies to its row of the heads-up panel.
function element_fly_to_main_panel(element)
    local name = nameOf(element)
    announce("fly to panel: " .. name)
    if get_target_pos_main_panel and set_parent_to_main_panel and set_anim_new and element then
        pcall(function()
            local target = get_target_pos_main_panel(element)
            local from = element:getPos()
            set_parent_to_main_panel(element, "TextPlace")
            set_anim_new(name, target.x - from.x, target.y - from.y, 0, 0, 0.5, "")
            -- Then it fades there; the next level's start takes it out of the panel.
            set_color_anim(name, 1, 1, 1, 0, 0.5, "")
            table.insert(common.flown, element)
        end)
    end
    -- Its row counts down.
    if main_panel then pcall(function() main_panel():notify(name) end) end
end

function common_hint()
    return 0
end

-- The inventory: the items picked up, in order, how many of each, the first one shown and the
-- cells of the panel's row. The game reports items added and presses on the row; the module lays
-- the row out on each update.
inventory = {items = {}, counts = {}, elements = {}, laid = {}, first = 1, cells = 4, cell_width = 40}

function on_inventory_item_added(element, flag)
    local name = nameOf(element)
    if inventory.counts[name] then
        inventory.counts[name] = inventory.counts[name] + 1
        inc_elements_count(name)
    else
        table.insert(inventory.items, name)
        inventory.counts[name] = 1
        inventory.elements[name] = element
        set_callback_for_element(name, string.format("inventory.take(%q)", name))
        -- Into the panel, where the row shows it.
        set_parent_to_main_panel(element, "Inv_flag")
    end
    announce("inventory add: " .. name)
end

function inventory.update()
    local count = #inventory.items
    if inventory.first > count then inventory.first = math.max(1, count - inventory.cells + 1) end
    local last = inventory.first + inventory.cells - 1
    if set_clip_pos then
        local cell = getInventoryFirstCellPos()
        for i = inventory.first, math.min(last, count) do
            -- An item on the cursor goes with the cursor.
            if not is_conn_elem_name(inventory.items[i]) then
                set_clip_pos(inventory.items[i], cell.x + (i - inventory.first) * inventory.cell_width, cell.y)
            end
            -- Laid out, it takes presses.
            if not inventory.laid[inventory.items[i]] then
                inventory.laid[inventory.items[i]] = true
                activateInventoryElement(inventory.items[i], true)
            end
        end
    end
    activate_inv_arrows(count > inventory.cells)
    inv_btn_enable("btn_left", inventory.first > 1)
    inv_btn_enable("btn_right", last < count)
end

function inventory.reset()
    -- What the row still shows leaves the panel with the level.
    for _, element in pairs(inventory.elements) do drop_inventory_element(element) end
    inventory.items = {}
    inventory.counts = {}
    inventory.elements = {}
    inventory.laid = {}
    inventory.first = 1
end

-- A press on an item laid out in the row puts it on the cursor (the press that picked it up, which
-- runs the same script, does not).
function inventory.take(name)
    local element = inventory.elements[name]
    if element and inventory.laid[name] then getMouse():setConnElem(element, false) end
end

function inventory.scroll_left()
    if inventory.first > 1 then inventory.first = inventory.first - 1 end
    announce("inventory left")
end

function inventory.scroll_right()
    if inventory.first + inventory.cells <= #inventory.items then inventory.first = inventory.first + 1 end
    announce("inventory right")
end

-- A press on the row with an item carried puts the item back.
function inventory.right_click_callback(name)
    local mouse = getMouse()
    if mouse then mouse:setConnElem(nil, true) end
    announce("inventory right click: " .. tostring(name))
end

-- The contour level names the part an item fits ("vase_sz" for "vase_1").
local function fits(item, name)
    local stem = string.match(name, "^(.*)_sz$")
    return item == name or (stem ~= nil and string.match(item, "^(.*)_%d+$") == stem)
end

function inventory.delete_elem(name)
    for i, item in ipairs(inventory.items) do
        if fits(item, name) then
            name = item
            if inventory.elements[name] then drop_inventory_element(inventory.elements[name]) end
            table.remove(inventory.items, i)
            inventory.counts[name] = nil
            inventory.elements[name] = nil
            inventory.laid[name] = nil
            break
        end
    end
    announce("inventory delete: " .. tostring(name))
end
