-- wrk: every request stores a new test, as the app sends it, on one of 60 models.
local threads = 0

function setup(thread)
  thread:set("id", threads)
  threads = threads + 1
end

function init(args)
  sent = 0
  math.randomseed(id * 7919 + os.time())
end

request = function()
  sent = sent + 1
  local vendor = string.format("BE7C%04X-0000-4000-8000-%012X", id, sent)
  local start = 800000000 + sent
  local path = string.format(
    "/api/test-result?date=1700000000&watt=%.2f&min=1.5&amp=40&startlevel=20&finishlevel=100" ..
    "&userStartlevel=21&starttime=%d.5&finishtime=%d.5&userStartTime=%d.5&averageTime=45" ..
    "&levellist=20.0%%2C21.0%%2C22.0%%2C23.0%%2C24.0%%2C25.0" ..
    "&timelist=700000000%%2C700000045.5%%2C700000090.25%%2C700000136%%2C700000181.75%%2C700000227" ..
    "&model=Bench%%20Phone%%20%d&language_code=en&region_code=GB&version=0.1.0&vindor_id=%s",
    5 + math.random() * 25, start, start + 3600, start + 5, math.random(0, 59), vendor)
  return wrk.format("GET", path)
end
